#pragma once

#include <QList>
#include <QString>

// Reads a database file's pages without SQLite, for a file SQLite can no longer open
// (its header overwritten): the table pages themselves keep their documented layout.
namespace PageScan {

// True when some table leaf page of the file holds records of only text (or empty)
// fields whose number is one of `fieldCounts`: the rows of a table of that shape.
// Every page size SQLite allows is tried. Only reads the file.
bool holdsTextRecords(const QString& path, const QList<int>& fieldCounts);

}  // namespace PageScan
