#include "maintenance/CatalogueFiles.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "cards/Archives.h"
#include "cards/Catalogue.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/Log.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/Database.h"
#include "platform/db/PageScan.h"

namespace CatalogueFiles {

QString backupPath() {
    return ProgramFolder::file(QStringLiteral("RACCOLIO.BK4"));
}

QString compactionPath() {
    return ProgramFolder::file(QStringLiteral("RACCOLIO.VID"));
}

QString proposedBackupPath() {
    const QString name = QStringLiteral("Raccolio.bk4");
    const QDir folder(ProgramFolder::path());
    if (folder.exists(name))
        return folder.filePath(name);
    // Name filters ignore case; sorted, so among several spellings the same one is chosen.
    const QStringList found = folder.entryList({name}, QDir::Files | QDir::Hidden, QDir::Name);
    return folder.filePath(found.value(0, name));
}

void requireCatalogue(const QString& path) {
    if (!QFileInfo::exists(path))
        throw fileNotFoundError(QStringLiteral("CatalogueFiles"), path);
    if (!DbMaintenance::looksLikeDatabase(path))
        throw notACatalogueError(QStringLiteral("CatalogueFiles"), path);
    auto db = Database::open(path, Database::OpenMode::ExistingOnly);
    Catalogue::validate(*db);
}

namespace {

void checkCatalogue(Database& copy) {
    Catalogue::validate(copy);
}

}  // namespace

void backup(const QString& destination, const DbMaintenance::Progress& progress) {
    // Written by VACUUM INTO, as a compaction is: a page-for-page copy is quicker to make but
    // slower to flush, as its whole gigabyte reaches the disk at the end.
    DbMaintenance::copyOver(Catalogue::defaultPath(), destination, checkCatalogue, progress, {},
                            DbMaintenance::Permissions::OfSource);
}

void restore(const QString& source, const DbMaintenance::Progress& progress) {
    requireCatalogue(source);
    DbMaintenance::copyOver(source, Catalogue::defaultPath(), checkCatalogue, progress);
}

void compact(const DbMaintenance::Progress& progress) {
    DbMaintenance::copyOver(Catalogue::defaultPath(), Catalogue::defaultPath(), checkCatalogue,
                            progress, compactionPath());
}

RepairOutcome repair(const DbMaintenance::Progress& progress) {
    return repairAt(Catalogue::defaultPath(), progress);
}

RepairOutcome repairAt(const QString& path, const DbMaintenance::Progress& progress) {
    std::vector<DbMaintenance::KnownTable> known;
    for (const auto& [table, fields] : Catalogue::tables())
        known.push_back({table, fields});
    RepairOutcome outcome;
    // The damaged file is kept, flushed to the disk, before its name goes.
    outcome.report = DbMaintenance::repair(path, progress, known,
                                           [&] { outcome.keptCopy = keepDamagedCopy(path); });
    return outcome;
}

namespace {

// The trace of a catalogue whose first page is lost: not its tables' definitions, which
// that page holds, but the pages of its cards and authors, rows of so many text fields.
bool holdsCatalogueTables(const QString& path) {
    QList<int> fieldCounts{int(Archives::authorFields().size())};
    for (const ArchiveDef& a : Archives::all())
        fieldCounts << int(a.tableOrder.size());
    return PageScan::holdsTextRecords(path, fieldCounts);
}

}  // namespace

State examine(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return State::Missing;
    // Emptied, or its header lost: still our catalogue, whose cards may be saved.
    if (info.size() == 0)
        return State::Damaged;
    if (!DbMaintenance::looksLikeDatabase(path))
        return holdsCatalogueTables(path) ? State::Damaged : State::Foreign;
    if (!DbMaintenance::isHealthy(path))
        return State::Damaged;
    try {
        auto db = Database::open(path, Database::OpenMode::ExistingOnly);
        Catalogue::validate(*db);
        return State::Healthy;
    } catch (const AppError& e) {
        qCInfo(lcDb).noquote() << path
                               << "is a sound database but no catalogue:" << e.description();
        return State::Foreign;
    }
}

void startAfresh(const QString& path) {
    DbMaintenance::writeOver(path, [](const QString& temp) {
        QFile::remove(temp);  // our own empty name-holder: the catalogue is made in its place
        Catalogue::create(temp);
    });
}

QStringList removeLeftovers() {
    return DbMaintenance::removeDeadRunLeftovers(ProgramFolder::path());
}

QString damagedBackupText(const QString& backupPath) {
    return QStringLiteral(
               "Il file di backup %1 è danneggiato: l'archivio attuale non è stato "
               "modificato.")
        .arg(QFileInfo(backupPath).fileName());
}

QString keepDamagedCopy(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.absoluteDir().filePath(
        QStringLiteral("%1.damaged-%2")
            .arg(info.completeBaseName(), QDate::currentDate().toString(Qt::ISODate)));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QStringLiteral("%1-%2").arg(base).arg(n);
    // About a gigabyte at a million cards: shared or copied by the file system where it can.
    try {
        DbMaintenance::copyFile(path, name);
    } catch (const AppError& e) {
        qCWarning(lcDb).noquote() << e.description();
        throw AppError(ErrorCode::FileError, QStringLiteral("CatalogueFiles"),
                       QStringLiteral("Impossibile conservare una copia del file %1 come %2")
                           .arg(info.fileName(), QFileInfo(name).fileName()));
    }
    return name;
}

}  // namespace CatalogueFiles
