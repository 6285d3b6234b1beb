#pragma once

#include <QString>
#include <QStringList>

// Reads the actor names of attori.dat as sequential-file items: an item ends at a comma
// or a line break, a quoted item may hold commas, leading blanks are skipped and the
// surrounding quotes removed. A missing or unreadable file gives an empty list.
namespace ActorList {
QStringList parse(const QString& text);
// The file's bytes: UTF-8, UTF-16 with its byte order mark, or else the old code page
// (Latin-1). Zero characters are dropped.
QStringList parse(const QByteArray& data);
QStringList readFile(const QString& path);
}  // namespace ActorList
