#pragma once

#include <QString>

struct Services;
class SettingsStore;

// Where a file the user names in a save dialog may be written. Never over a file the
// program itself lives on (the catalogue, its backup and temporary copy, any database it
// has open, the settings, the single-instance lock, the templates and help it reads): one
// wrong name in a save dialog must not destroy the catalogue. Never over an existing file
// without asking.
namespace SaveTarget {

QString overwriteQuestion();  // "Il file selezionato è già presente. Sovrascriverlo ?"

// The files the path must not name, as the program finds them now.
QStringList programFiles(const SettingsStore& settings);
// True when both paths name the same file: the same file on disk when both exist (links,
// another spelling of the folder), otherwise the same canonical folder and name.
bool sameFile(const QString& a, const QString& b);
// The Italian refusal when path names one of the program's files; empty otherwise.
QString refusal(const QString& path, const SettingsStore& settings);

// Refuses a program file with a critical message, asks before an existing file is
// replaced; true when the caller may write the path.
bool confirm(const QString& path, Services& services);

}  // namespace SaveTarget
