#pragma once

#include <QString>
#include <QStringList>

#include "platform/db/Maintenance.h"

// The catalogue file's replacements. Each one writes its new file beside the target and
// renames it over the target only when complete, checked and on disk: a failure or a
// kill at any moment leaves the old file or the new one, whole. The data sources must be
// closed by the caller.
namespace CatalogueFiles {

QString backupPath();      // RACCOLIO.BK4 in the program folder
QString compactionPath();  // RACCOLIO.VID, the compaction's own temporary file
// The file the manual backup and restore propose: Raccolio.bk4 in the program folder, or the
// file already there whose name differs only in case (the automatic RACCOLIO.BK4), so that
// a restore finds that backup and a backup replaces it instead of making a second one.
QString proposedBackupPath();

// Raises AppError(NotACatalogue) unless the file is a database with the catalogue's tables;
// nothing is written.
void requireCatalogue(const QString& path);

void backup(const QString& destination, const DbMaintenance::Progress& progress = {});
void restore(const QString& source, const DbMaintenance::Progress& progress = {});
void compact(const DbMaintenance::Progress& progress = {});
// What "Recupero Dati" did: the report, and where the damaged file was kept (empty when the
// catalogue was healthy and left alone).
struct RepairOutcome {
    DbMaintenance::RepairReport report;
    QString keptCopy;
};
// Salvages every card still readable. A damaged catalogue is kept beside the new one (see
// keepDamagedCopy) before the new one takes its name.
RepairOutcome repair(const DbMaintenance::Progress& progress = {});
// The same for a catalogue at another path (start-up's, before any data source is open).
RepairOutcome repairAt(const QString& path, const DbMaintenance::Progress& progress = {});

// What start-up finds at the catalogue's path. Damaged: a database that fails its checks,
// an empty file, or a file SQLite cannot open that still holds the catalogue's tables;
// Foreign: anything else that is no catalogue.
enum class State { Missing, Healthy, Foreign, Damaged };
State examine(const QString& path);

// Puts a new empty catalogue in place of the file at path (which the caller has kept).
void startAfresh(const QString& path);

// Removes from the program folder the temporary copies left by runs that were killed;
// returns their names.
QStringList removeLeftovers();

// What the user is told when a backup to be restored turns out damaged.
QString damagedBackupText(const QString& backupPath);

// Keeps a copy of a damaged catalogue as RACCOLIO.damaged-<date> beside it (a number is
// added when that name is taken), flushed to the disk; returns its path.
QString keepDamagedCopy(const QString& path);

}  // namespace CatalogueFiles
