#pragma once

#include <QString>
#include <QStringList>

class Database;

// The Italian order of a table's records (as the ITALIAN collation gives it) kept as stored
// keys: a derived table raccolio_chiavi_<table>_<fields> (id = the record's rowid, k = its
// key) with an index on k. The key is ICU's it_IT collation key of each field in turn, so
// comparing keys byte by byte is comparing the fields one by one with the collator.
//
// Other SQLite tools must still be able to write the table, so nothing in the schema names
// our collation or our functions: plain triggers mark a key stale (NULL) when a record comes
// or its fields change, and the program computes the missing keys when it next needs them.
namespace SortKeys {

// Makes the key table of `table` (holding `records` rows) in the order of `fields` usable:
// builds it the first time (or when it no longer matches the table: dropped triggers, a table
// made anew, a plain VACUUM, another ICU version) and fills the stale keys. Returns the key table's
// name, or an empty string when the catalogue cannot hold sound keys (read-only with none, or stale
// ones), so that the caller sorts with the collation instead.
QString prepare(Database& db, const QString& table, const QStringList& fields, qint64 records);

}  // namespace SortKeys
