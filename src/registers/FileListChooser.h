#pragma once

#include <QString>
#include <QStringList>

// The rules of the important-files chooser: the patterns offered, the full paths of a
// folder's matching files, the drives (mounted file systems) to browse, moving an entry
// between the two lists and appending the export list to a card's file list.
namespace FileListChooser {

QStringList patterns();  // "*.*" first, then thirteen kinds of file
QString sourceCaption();
QString exportCaption();

// The folder and the name joined by one "/" (none added after a folder ending in one).
QString fullPath(const QString& folder, const QString& name);

// Full paths of the files of folder matching pattern (wildcards * ? [..], any case), in
// name order. AppError (source, description) when the folder cannot be read.
QStringList matchingFiles(const QString& folder, const QString& pattern);

// The root, the user's home, and file systems mounted under /media and /run/media.
QStringList drives();
QString homeFolder();

// Moves entry index of from to the end of to; nothing for an index out of range.
bool moveEntry(QStringList& from, int index, QStringList& to);

// The file list with the entries appended one a line ("\n" between lines).
QString appendLines(QString fileList, const QStringList& entries);

}  // namespace FileListChooser
