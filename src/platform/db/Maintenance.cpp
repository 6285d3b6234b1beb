#include "platform/db/Maintenance.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/DerivedTables.h"
#include "platform/db/FileReplace.h"
#include "platform/db/PageSalvage.h"
#include "platform/db/ProgressScope.h"
#include "platform/db/SalvageCopy.h"
#include "platform/db/Transaction.h"

namespace {

using FileReplace::renameOver;
using FileReplace::syncToDisk;
using FileReplace::TempBeside;

const QString kSource = QStringLiteral("DbMaintenance");

void requireExisting(const QString& path) {
    if (!QFileInfo::exists(path))
        throw fileNotFoundError(kSource, path);
}

bool hasSqliteHeader(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray magic("SQLite format 3\0", 16);
    return f.read(16) == magic;
}

AppError notACatalogue(const QString& path) {
    return notACatalogueError(kSource, path);
}

bool passesIntegrityCheck(Database& db) {
    try {
        const auto rows = db.query(QStringLiteral("PRAGMA integrity_check"));
        return rows.size() == 1 && rows.first().value(0).toString() == QLatin1String("ok");
    } catch (const AppError& e) {
        qCWarning(lcDb).noquote() << "integrity check of" << db.path()
                                  << "ran into an error:" << e.description();
        return false;  // the check itself ran into a damaged page
    }
}

using RowCounts = std::map<QString, qint64>;

// Every table's row count, tables by name; what a finished copy must hold again.
RowCounts rowCounts(sqlite3* db) {
    RowCounts counts;
    sqlite3_stmt* names = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                           "'sqlite\\_%' ESCAPE '\\'",
                           -1, &names, nullptr) != SQLITE_OK)
        throw AppError(ErrorCode::DatabaseError, kSource, QString::fromUtf8(sqlite3_errmsg(db)));
    const Statement namesOwner(names);
    int rc;
    while ((rc = sqlite3_step(names)) == SQLITE_ROW) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(names, 0)));
        // Derived tables follow their archives; counting a search index reads its archive.
        if (!DerivedTables::isDerived(name))
            counts[name] = 0;
    }
    if (rc != SQLITE_DONE)
        throw AppError(ErrorCode::DatabaseError, kSource, QString::fromUtf8(sqlite3_errmsg(db)));
    for (auto& [table, count] : counts) {
        const QByteArray sql = "SELECT count(*) FROM " + Database::quoteIdentifier(table).toUtf8();
        sqlite3_stmt* counting = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &counting, nullptr) != SQLITE_OK)
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QString::fromUtf8(sqlite3_errmsg(db)));
        const Statement owner(counting);
        if (sqlite3_step(counting) != SQLITE_ROW)
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QString::fromUtf8(sqlite3_errmsg(db)));
        count = sqlite3_column_int64(counting, 0);
    }
    return counts;
}

// SQLite's integrity check of the file being copied, and its row counts, on a connection and
// a thread of their own while the calling thread makes the copy: on a second core the check
// adds little time. A copy holds what its source held, so a sound source whose every table
// comes back with its row count vouches for the copy; only SQLite wrote that copy.
class SourceCheck {
public:
    explicit SourceCheck(const QString& path) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK) {
            failure_ = QString::fromUtf8(sqlite3_errmsg(db_));
            return;
        }
        sqlite3_busy_timeout(db_, 5000);
        worker_ = std::thread([this] { run(); });
    }
    ~SourceCheck() {
        if (worker_.joinable()) {
            sqlite3_interrupt(db_);  // the copy failed: its check is no longer wanted
            worker_.join();
        }
        sqlite3_close_v2(db_);
    }
    SourceCheck(const SourceCheck&) = delete;
    SourceCheck& operator=(const SourceCheck&) = delete;

    bool finished() const { return finished_ || !worker_.joinable(); }

    // Waits for the check; a source that failed it raises AppError, as nothing copied from
    // it may replace a file.
    RowCounts result() {
        if (worker_.joinable())
            worker_.join();
        if (!failure_.isEmpty()) {
            qCWarning(lcDb).noquote() << "integrity check of" << path() << "-" << failure_;
            throw AppError(ErrorCode::DatabaseDamaged, kSource,
                           QStringLiteral("Il database %1 non è integro: la copia non è stata "
                                          "usata")
                               .arg(QFileInfo(path()).fileName()));
        }
        return counts_;
    }

private:
    QString path() const { return QString::fromUtf8(sqlite3_db_filename(db_, "main")); }
    void run() {
        try {
            sqlite3_stmt* check = nullptr;
            int rc = sqlite3_prepare_v2(db_, "PRAGMA integrity_check", -1, &check, nullptr);
            const Statement owner(check);
            QStringList problems;
            if (rc == SQLITE_OK)
                rc = SQLITE_ROW;
            while (rc == SQLITE_ROW && (rc = sqlite3_step(check)) == SQLITE_ROW)
                problems << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
            if (rc != SQLITE_DONE)
                failure_ = QString::fromUtf8(sqlite3_errmsg(db_));
            else if (problems != QStringList{QStringLiteral("ok")})
                failure_ = problems.mid(0, 5).join(QStringLiteral("; "));
            else
                counts_ = rowCounts(db_);
        } catch (const AppError& e) {
            failure_ = e.description();
        }
        finished_ = true;
    }

    sqlite3* db_ = nullptr;
    std::atomic<bool> finished_ = false;
    std::thread worker_;
    QString failure_;
    RowCounts counts_;
};

// Tells `progress` how far a statement has come, every so many steps; a progress callback
// that throws stops the statement, and its exception is the one raised.
ProgressScope::Tick reporting(const DbMaintenance::Progress& progress,
                              const std::function<qint64()>& done, qint64 total) {
    if (!progress)
        return {};
    return [&progress, done, total] {
        progress(done(), total);
        return true;
    };
}

template <typename Work>
auto withProgress(Database& db, ProgressScope::Tick tick, Work work) {
    ProgressScope scope(db.handle(), std::move(tick));
    try {
        return work();
    } catch (...) {
        scope.rethrowIfFailed();
        throw;
    }
}

}  // namespace

namespace DbMaintenance {

namespace {

// The common end of a copy: on disk, checked, renamed over the destination. The flush
// comes first: it waits on the disk while the source's check may still be using a core.
void putInPlace(TempBeside& temp, SourceCheck& sourceCheck, const QString& destinationPath,
                const Verify& verify, const Progress& progress, const QString& model) {
    {
        // Both can take seconds on a big file: the window keeps painting meanwhile.
        std::atomic<bool> flushed = false;
        std::thread flush([&] {
            syncToDisk(temp.path());
            flushed = true;
        });
        const qint64 size = QFileInfo(temp.path()).size();
        while (progress && !(flushed && sourceCheck.finished())) {
            progress(size, size);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        flush.join();
    }
    {
        const RowCounts expected = sourceCheck.result();
        auto copy = Database::open(temp.path(), Database::OpenMode::ExistingOnly);
        // Mapped, the count walks the pages without a read call for each: several times faster.
        copy->query(QStringLiteral("PRAGMA mmap_size = %1").arg(QFileInfo(temp.path()).size()));
        // The count comes last: nothing done to the copy before it goes unnoticed.
        if (verify)
            verify(*copy);
        if (rowCounts(copy->handle()) != expected)
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QStringLiteral("La copia del database non è integra"));
    }
    renameOver(temp.path(), destinationPath, model);
    temp.keep();
    syncToDisk(QFileInfo(destinationPath).absolutePath());
    if (progress)
        progress(QFileInfo(destinationPath).size(), QFileInfo(destinationPath).size());
}

// SQLite's own verdict on the file, the window painting meanwhile; a file SQLite cannot
// even open is not sound.
bool sourcePassesCheck(const QString& path, const Progress& progress) {
    try {
        auto source = Database::open(path, Database::OpenMode::ExistingOnly);
        // Nothing is copied yet: the window only paints.
        return withProgress(*source, reporting(progress, [] { return qint64(0); },
                                               QFileInfo(path).size()),
                            [&] { return passesIntegrityCheck(*source); });
    } catch (const AppError& e) {
        qCWarning(lcDb).noquote() << "cannot open" << path << "to check it -" << e.description();
        return false;
    }
}

RepairReport salvageInto(const QString& path, const Progress& progress,
                         const std::vector<KnownTable>& known,
                         const std::function<void()>& beforeReplacing, const Verify& verify) {
    const qint64 size = QFileInfo(path).size();
    const auto reader = PageSalvage::Reader::openFile(path);
    TempBeside temp(path);
    RepairReport report;
    {
        auto target = Database::open(temp.path(), Database::OpenMode::ExistingOnly);
        report = SalvageCopy::copy(*reader, *target, known, [&](qint64 done, qint64 total) {
            if (progress && total > 0)
                progress(done * size / total, size);
        });
        // Not a single row: nothing is gained by a replacement, and a header that lies about
        // the page size would read as an empty catalogue.
        qint64 rows = 0;
        for (const RepairReport::Table& t : report.tables)
            rows += t.recovered;
        if (rows == 0 && !reader->headerSound())
            throw notACatalogue(path);
        if (rows == 0)
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QStringLiteral("Nessuna scheda del database %1 è leggibile")
                               .arg(QFileInfo(path).fileName()));
        // The copy must hold what was written into it, and pass SQLite's own check; nothing
        // done to it before goes unnoticed.
        if (verify)
            verify(*target);
        RowCounts written;
        for (const RepairReport::Table& t : report.tables)
            written[t.name] = t.recovered;
        if (!passesIntegrityCheck(*target) || rowCounts(target->handle()) != written)
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QStringLiteral("Impossibile recuperare il database %1").arg(path));
    }
    syncToDisk(temp.path());
    if (beforeReplacing)
        beforeReplacing();
    renameOver(temp.path(), path);
    temp.keep();
    syncToDisk(QFileInfo(path).absolutePath());
    for (const RepairReport::Table& t : report.tables)
        if (t.lost != 0 || t.incomplete != 0)
            qCWarning(lcDb).noquote()
                << "repair:" << t.name
                << QStringLiteral("%1 rows saved (%2 cut short),")
                       .arg(t.recovered)
                       .arg(t.incomplete)
                << (t.lost < 0 ? QStringLiteral("an unknown number") : QString::number(t.lost))
                << "lost";
    return report;
}

void requireDatabase(const QString& path) {
    requireExisting(path);
    if (!hasSqliteHeader(path))
        throw notACatalogue(path);
}

}  // namespace

void copyOver(const QString& sourcePath, const QString& destinationPath, const Verify& verify,
              const Progress& progress, const QString& tempPath, Permissions permissions) {
    requireDatabase(sourcePath);
    TempBeside temp(destinationPath, tempPath);
    SourceCheck sourceCheck(sourcePath);
    {
        auto source = Database::open(sourcePath, Database::OpenMode::ExistingOnly);
        const QString copy = temp.path();
        try {
            withProgress(*source,
                         reporting(progress, [copy] { return QFileInfo(copy).size(); },
                                   QFileInfo(sourcePath).size()),
                         [&] { source->query(QStringLiteral("VACUUM INTO ?"), {copy}); });
        } catch (const AppError& e) {
            // A broken page can make the engine say anything, even that the disk is full:
            // the source's own check tells a damaged file from a failed copy.
            if (e.number() == ErrorCode::DatabaseError || e.number() == ErrorCode::FileError) {
                while (progress && !sourceCheck.finished()) {
                    progress(0, QFileInfo(sourcePath).size());
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                sourceCheck.result();
            }
            throw;
        }
    }
    const bool ofSource =
        permissions == Permissions::OfSource || !QFileInfo::exists(destinationPath);
    putInPlace(temp, sourceCheck, destinationPath, verify, progress,
               ofSource ? sourcePath : destinationPath);
}

bool looksLikeDatabase(const QString& path) {
    return hasSqliteHeader(path);
}

void compact(const QString& sourcePath, const QString& destinationPath) {
    if (QFileInfo::exists(destinationPath))
        throw AppError(ErrorCode::DestinationExists, kSource,
                       QStringLiteral("Il file %1 esiste già").arg(destinationPath));
    requireExisting(sourcePath);
    auto source = Database::open(sourcePath, Database::OpenMode::ExistingOnly);
    TempBeside temp(destinationPath);
    source->query(QStringLiteral("VACUUM INTO ?"), {temp.path()});
    source.reset();
    {
        auto copy = Database::open(temp.path(), Database::OpenMode::ExistingOnly);
        if (!passesIntegrityCheck(*copy))
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QStringLiteral("La copia compattata del database non è integra"));
    }
    syncToDisk(temp.path());
    // rename() does not replace: a destination that appeared meanwhile is kept.
    if (!QFile::rename(temp.path(), destinationPath))
        throw AppError(ErrorCode::FileError, kSource,
                       QStringLiteral("Impossibile creare il file %1").arg(destinationPath));
    temp.keep();
    syncToDisk(QFileInfo(destinationPath).absolutePath());
}

RepairReport repair(const QString& path, const Progress& progress,
                    const std::vector<KnownTable>& known, const std::function<void()>& beforeReplacing,
                    const Verify& verify) {
    requireExisting(path);
    const bool header = hasSqliteHeader(path);
    if (header && sourcePassesCheck(path, progress))
        return {};
    if (!header && known.empty())
        throw notACatalogue(path);
    return salvageInto(path, progress, known, beforeReplacing, verify);
}

bool isHealthy(const QString& path) {
    if (!QFileInfo::exists(path) || !hasSqliteHeader(path))
        return false;
    try {
        auto db = Database::open(path, Database::OpenMode::ExistingOnly);
        return passesIntegrityCheck(*db);
    } catch (const AppError& e) {
        qCWarning(lcDb).noquote() << "cannot check" << path << "-" << e.description();
        return false;
    }
}

}  // namespace DbMaintenance
