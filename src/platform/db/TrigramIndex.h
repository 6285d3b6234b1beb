#pragma once

#include <QString>
#include <QStringList>

#include "platform/db/ProgressScope.h"

class Database;

// The one owner of the trigram search indexes: per table, an FTS5 table over every field
// of the table (its external content, trigram tokenizer, case-insensitive) and three
// triggers that keep it in step with every insert, update and delete, whoever makes them
// (the program or another SQLite tool: the triggers call nothing of the program's own).
// The index only narrows the rows a criterion has to look at; the criterion decides.
namespace TrigramIndex {

// "raccolio_trigram_LIBRI": a name no archive or result table can take.
QString indexName(const QString& table);

// True for every table and trigger an index is made of (the FTS5 table, the tables FTS5
// keeps beside it, the triggers). Whatever lists a catalogue's tables skips these, and a
// salvage copies none of them: it calls rebuild() once the archives are back.
bool isDerivedName(const QString& name);

// The index of the table with its three triggers is there.
bool exists(Database& db, const QString& table);

// The fields the index covers, in its order; empty without an index.
QStringList indexedFields(Database& db, const QString& table);

// Creates and fills the index of a table inside the caller's transaction (a new catalogue).
void create(Database& db, const QString& table);

// Creates and fills the index of a table in a transaction of its own, asking `tick` to go
// on while it reads the table. False, with nothing changed, when the tick said stop or the
// catalogue is read-only; true when the index is there afterwards (or was already).
bool build(Database& db, const QString& table, const ProgressScope::Tick& tick = {});

// Drops the index of a table and its triggers, if they are there.
void drop(Database& db, const QString& table);

// The tables that have an index, in the catalogue's order.
QStringList indexedTables(Database& db);

// Makes the index of each table afresh (dropped if there, created, filled from the table),
// all or nothing: after a salvage, which copies no derived table, with the tables the
// damaged file had indexed; or with no list, every index there is. Runs in the caller's
// transaction when one is open, else in one of its own. False when the tick said stop.
bool rebuild(Database& db, const QStringList& tables, const ProgressScope::Tick& tick = {});
bool rebuild(Database& db);

// FTS5's own check of every index against its table; true when each one matches.
bool passesIntegrityCheck(Database& db);

}  // namespace TrigramIndex
