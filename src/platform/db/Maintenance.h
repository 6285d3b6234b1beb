#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

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

// A table a damaged file is known to hold (every field TEXT, as Database::createTable makes
// them), for when the file's own schema cannot be read.
struct KnownTable {
    QString name;
    QStringList fields;
};

// What a repair brought back.
struct RepairReport {
    struct Table {
        QString name;
        qint64 recovered = 0;
        qint64 lost = 0;  // rows that could not be read; -1 when that cannot be counted
        qint64 lostAtMost = -1;  // with lost -1: no more than this many, when that is known
        qint64 incomplete = 0;   // of those recovered: cut by a broken overflow chain
    };
    bool salvaged = false;  // false: the file was healthy and was left as it was
    std::vector<Table> tables;
    qint64 unassigned = 0;  // rows readable but fitting more than one table: left out
};

// Checks a finished copy before it takes its place; throws AppError to refuse it.
using Verify = std::function<void(Database& copy)>;

// Repairs in place. A healthy file is left as it is. From a damaged one, every row still on
// a readable page is salvaged, page by page, into a new file that replaces it only once
// complete, checked and on disk: it passes `verify`, then SQLite's integrity check, and holds
// exactly the rows written into it. `beforeReplacing` runs just before the replacement (to
// keep the damaged file, say). `known` stands in for a schema the file no longer shows. A
// file that is no SQLite database and holds no row of a known table raises
// AppError(NotACatalogue) and is left as it was.
RepairReport repair(const QString& path, const Progress& progress = {},
                    const std::vector<KnownTable>& known = {},
                    const std::function<void()>& beforeReplacing = {}, const Verify& verify = {});

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

// Copies `from` to `to`, a name not yet taken, as cheaply as the file system allows: sharing
// its blocks (a reflink), else copied inside the kernel, else read and written. The copy is
// made beside `to` under a temporary name, takes the mode and owner of `from`, is flushed,
// and only then takes its name. Raises AppError(FileError) when it cannot be made whole and
// flushed; nothing is left at `to` then.
void copyFile(const QString& from, const QString& to);

// Removes from folder the temporary copies (and their journals) that a run of the program
// left when it was killed: only files named as this program names them, and only when the
// process that made them is gone. Returns the names removed.
QStringList removeDeadRunLeftovers(const QString& folder);

// True when the file starts as an SQLite database does.
bool looksLikeDatabase(const QString& path);

// True when the file passes SQLite's integrity check.
bool isHealthy(const QString& path);

}  // namespace DbMaintenance
