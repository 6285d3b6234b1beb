#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

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

// The key of these values (Null, or text) in Italian order.
QByteArray italianKey(const QVariantList& values);

// Makes the key table of `table` in the order of `fields` usable: builds it the first time
// (or when it no longer matches the table: dropped triggers, a table made anew, another ICU
// version) and fills the stale keys. Returns the key table's name, or an empty string when
// the catalogue cannot hold sound keys (read-only with none, or stale ones), so that the
// caller sorts with the collation instead.
QString prepare(Database& db, const QString& table, const QStringList& fields);

}  // namespace SortKeys
