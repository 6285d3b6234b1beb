#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Database;

// File-level operations on a catalogue file. The source must not be open for writing elsewhere.
namespace DbMaintenance {

// Compacts source into destination. A destination that exists raises
// AppError(DestinationExists) and is left untouched; a missing source raises
// FileNotFound. The copy is written under a temporary name, checked, then renamed.
void compact(const QString& sourcePath, const QString& destinationPath);

// Told how far a long copy has come (bytes written of about `total`); called often, on the
// calling thread, so a window can paint in between.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Repairs in place. A healthy file is left as it is; a damaged one is salvaged table
// by table into a new file that replaces it only once complete. A file that is not
// an SQLite database raises AppError(NotACatalogue) and is left as it was.
// Returns true when something had to be salvaged.
bool repair(const QString& path, const Progress& progress = {});

// Checks a finished copy before it takes its place; throws AppError to refuse it.
using Verify = std::function<void(Database& copy)>;

// Whose mode (and owner, where it can be given) a copy takes: the file it replaces, as a
// catalogue replaced in place keeps its own; or its source, as a backup is as private as
// the catalogue it copies. A destination that does not exist yet always takes its source's.
enum class Permissions { OfDestination, OfSource };

// Writes a compacted copy of source and puts it in place of destination, which may exist:
// the copy is made under `tempPath` (default: a fresh name beside destination; a leftover
// file of that name is removed first); source passes SQLite's integrity check (run beside
// the copy, on a thread of its own), the copy holds every table of source with its row count
// and passes `verify` (run before the count); it is flushed, and is then renamed over
// destination; the folder is flushed last. A failure at any point leaves destination as it
// was. Source is only read.
void copyOver(const QString& sourcePath, const QString& destinationPath, const Verify& verify = {},
              const Progress& progress = {}, const QString& tempPath = {},
              Permissions permissions = Permissions::OfDestination);

// Puts a file that `write` makes (at the path it is given, beside destination) in place of
// destination, as copyOver does: flushed, renamed over it, keeping its mode and owner.
void writeOver(const QString& destinationPath, const std::function<void(const QString&)>& write);

// Removes from folder the temporary copies (and their journals) that a run of the program
// left when it was killed: only files named as this program names them, and only when the
// process that made them is gone. Returns the names removed.
QStringList removeDeadRunLeftovers(const QString& folder);

// True when the file starts as an SQLite database does.
bool looksLikeDatabase(const QString& path);

// True when the file passes SQLite's integrity check.
bool isHealthy(const QString& path);

}  // namespace DbMaintenance
