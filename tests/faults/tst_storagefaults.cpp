// A disk that fills up or fails in the middle of a write: every operation reports the
// error, the catalogue keeps every stored card and passes the integrity check, and the
// same operation succeeds once the disk works again.
#include <sqlite3.h>

#include <QDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <functional>

#include "cards/Archives.h"
#include "maintenance/CatalogueFiles.h"
#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Maintenance.h"
#include "platform/db/RecordSet.h"
#include "platform/db/TrigramIndex.h"
#include "registers/LookupListEditor.h"
#include "search/StructuredSearch.h"
#include "test_support/PlainSqlite.h"
#include "test_support/TempProgramFolder.h"

namespace {

// A VFS in front of the default one whose writes fail once `writesLeft` reaches zero,
// and keep failing (a full disk stays full) until it is set back to -1. Files are the
// default VFS's own; only their method table is swapped for one with failing writes.
struct FaultVfs {
    // A default method table with failing writes in front, and the table it stands for.
    struct Methods {
        sqlite3_io_methods io;
        const sqlite3_io_methods* real;
    };
    static inline sqlite3_vfs* real = nullptr;
    static inline sqlite3_vfs vfs{};
    static inline std::array<Methods, 8> tables{};
    static inline int writesLeft = -1;
    static inline int failure = SQLITE_FULL;

    static const sqlite3_io_methods* realOf(sqlite3_file* f) {
        return reinterpret_cast<const Methods*>(f->pMethods)->real;
    }
    static bool fails() {
        if (writesLeft < 0)
            return false;
        if (writesLeft == 0)
            return true;
        --writesLeft;
        return false;
    }

    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int openFlags,
                    int* outFlags) {
        const int rc = real->xOpen(real, name, file, openFlags, outFlags);
        if (rc != SQLITE_OK || !file->pMethods)
            return rc;
        auto t = std::find_if(tables.begin(), tables.end(), [&](const Methods& m) {
            return !m.real || m.real == file->pMethods;
        });
        if (t == tables.end())
            qFatal("too many method tables");
        if (!t->real) {
            t->real = file->pMethods;
            t->io = *file->pMethods;
            // Version 1: no shared memory, which the catalogue's rollback journal never needs.
            t->io.iVersion = 1;
            t->io.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
                return fails() ? failure : realOf(f)->xWrite(f, b, n, o);
            };
            t->io.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
                return fails() ? failure : realOf(f)->xTruncate(f, size);
            };
            t->io.xSync = [](sqlite3_file* f, int flags) {
                return fails() ? SQLITE_IOERR_FSYNC : realOf(f)->xSync(f, flags);
            };
        }
        file->pMethods = &t->io;
        return rc;
    }

    static void install() {
        real = sqlite3_vfs_find(nullptr);
        vfs = *real;
        vfs.zName = "faulty";
        vfs.xOpen = open;
        sqlite3_vfs_register(&vfs, 1);
    }
};

// Runs the operation with writes failing after n of them; true when it reported an error.
template <typename Op>
bool failsAfter(int n, int code, Op op) {
    FaultVfs::writesLeft = n;
    FaultVfs::failure = code;
    bool failed = false;
    try {
        op();
    } catch (const AppError& e) {
        failed = true;
        if (e.description().isEmpty())
            qFatal("an error without a description");
    }
    FaultVfs::writesLeft = -1;
    return failed;
}

}  // namespace

class TestStorageFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    std::shared_ptr<Database> db_;

    // The integrity check's verdict, then every title of LIBRI, of the file at path.
    static QStringList contentOf(const QString& path) {
        auto db = Database::open(path);
        QStringList out{
            db->query(QStringLiteral("PRAGMA integrity_check")).first().first().toString()};
        for (const QVariantList& row :
             db->query(QStringLiteral("SELECT TITOLO FROM LIBRI ORDER BY rowid")))
            out << row.first().toString();
        return out;
    }
    QStringList stored() const { return contentOf(folder_->cataloguePath()); }
    // Runs op with writes failing after `after`: a failure leaves the catalogue intact and
    // unchanged, and the same op, retried, then succeeds.
    void storeDespiteFault(int after, int code, const std::function<void()>& op) {
        const QStringList before = stored();
        QCOMPARE(before.first(), QStringLiteral("ok"));
        const bool failed = failsAfter(after, code, op);
        QVERIFY(failed || after > 0);  // the very first write always fails
        if (failed) {
            QCOMPARE(stored(), before);
            op();
        }
    }
    // Runs op with writes failing after 0, 1, 2... of them, calling check after each
    // reported failure, until op gets through.
    static void failEachWriteInTurn(int code, const std::function<void()>& op,
                                    const std::function<void()>& check) {
        int after = 0;
        while (failsAfter(after, code, op)) {
            check();
            if (QTest::currentTestFailed())
                return;
            QVERIFY2(++after < 2000, "the operation never succeeded");
        }
        QVERIFY(after > 0);  // the very first write always fails
    }

private slots:
    void initTestCase() { FaultVfs::install(); }
    void init() {
        db_.reset();
        folder_ = std::make_unique<TempProgramFolder>(QList<int>{3, 0, 1, 0});
        db_ = Database::open(folder_->cataloguePath());
    }

    void faults_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("after");
        for (const int code : {SQLITE_FULL, SQLITE_IOERR_WRITE})
            for (const int after : {0, 1, 2, 4})
                QTest::addRow("%s/%d", code == SQLITE_FULL ? "full" : "ioerr", after)
                    << code << after;
    }

    // An edited card, a new card and a deleted one: the failed store keeps the typed
    // values in the buffer, so the retry stores them.
    void faults() {
        QFETCH(int, code);
        QFETCH(int, after);
        const QStringList before = stored();
        auto rs = db_->openRecordSet(QStringLiteral("LIBRI"));
        rs->moveFirst();
        rs->setValue(QStringLiteral("TITOLO"), QStringLiteral("corretto"));
        storeDespiteFault(after, code, [&] { rs->update(); });
        rs->addNew();
        rs->setValue(QStringLiteral("TITOLO"), QStringLiteral("nuovo"));
        storeDespiteFault(after, code, [&] { rs->update(); });
        rs->setAbsolutePosition(1);
        storeDespiteFault(after, code, [&] { rs->deleteCurrent(); });
        QCOMPARE(stored(), (QStringList{QStringLiteral("ok"), QStringLiteral("corretto"), before[3],
                                        QStringLiteral("nuovo")}));
    }

    // A store the search index cannot follow (its triggers fail on a damaged index) is
    // refused whole: the card is as it was and keeps its edit; once the index is rebuilt,
    // the same store goes through and the index follows it.
    void storeFailingInTheSearchIndex() {
        const QStringList before = stored();
        auto rs = db_->openRecordSet(QStringLiteral("LIBRI"));
        rs->moveFirst();
        rs->setValue(QStringLiteral("TITOLO"), QStringLiteral("pergamena corretta"));
        // Through another connection: this one rereads the index.
        QCOMPARE(
            PlainSqlite(folder_->cataloguePath())
                .run("UPDATE raccolio_trigram_LIBRI_data SET block = x'ffffffff' WHERE id = 10"),
            QString());
        QVERIFY(failsAfter(-1, SQLITE_OK, [&] { rs->update(); }));
        QCOMPARE(stored(), before);
        QCOMPARE(rs->value(QStringLiteral("TITOLO")).toString(),
                 QStringLiteral("pergamena corretta"));
        QVERIFY(TrigramIndex::rebuild(*db_));
        rs->update();
        QCOMPARE(stored()[1], QStringLiteral("pergamena corretta"));
        QVERIFY(TrigramIndex::passesIntegrityCheck(*db_));
        QVERIFY(rs->findFirst(QStringLiteral("TITOLO Like \"*pergamena*\"")));
    }

    // A 1 MB note, a list of 10,000 lines and a title with a character of every Unicode
    // plane are stored whole, read back whole and searched without stalling.
    void longAndUnusualTexts() {
        QString planes;
        for (char32_t plane = 0; plane <= 16; ++plane)
            planes += QString::fromUcs4(std::array<char32_t, 1>{plane * 0x10000 + 0x41}.data(), 1);
        const QString note = QString(1 << 20, u'n') + QStringLiteral("fine");
        QStringList lines;
        for (int i = 0; i < 10000; ++i)
            lines << QStringLiteral("file%1.txt").arg(i);
        auto rs = db_->openRecordSet(QStringLiteral("CDROM"));
        rs->moveFirst();
        rs->setValue(QStringLiteral("TITOLO"), planes);
        rs->setValue(QStringLiteral("NOTE"), note);
        rs->setValue(QStringLiteral("ELENCO"), lines.join(u'\n'));
        rs->update();
        auto again = db_->openRecordSet(QStringLiteral("CDROM"));
        again->moveFirst();
        QCOMPARE(again->value(QStringLiteral("TITOLO")).toString(), planes);
        QCOMPARE(again->value(QStringLiteral("NOTE")).toString(), note);
        QCOMPARE(again->value(QStringLiteral("ELENCO")).toString().count(u'\n'), 9999);
        QVERIFY(again->findFirst(QStringLiteral("NOTE LIKE \"*n#fine*\" OR NOTE LIKE \"*nfine\"")));
        QVERIFY(again->findFirst(QStringLiteral("ELENCO LIKE \"*file9999.txt\"")));
    }

    // A new lookup word whose store fails is still in the buffer: the next move stores it.
    void lookupWord() {
        DataSource source;
        source.setDatabaseName(QStringLiteral("RACCOLIO.MDB"));
        LookupListEditor editor(source, folder_->services);
        editor.activate(QStringLiteral("GEN2"));
        const int words = editor.count();
        folder_->input.queueText(QStringLiteral("Nuovo genere"));
        QVERIFY(failsAfter(0, SQLITE_FULL, [&] { editor.add(); }));
        QCOMPARE(stored().first(), QStringLiteral("ok"));
        QCOMPARE(folder_->count("GEN2"), words);
        editor.last();
        QCOMPARE(folder_->count("GEN2"), words + 1);
        QVERIFY(folder_->column("GEN2", "GENERE").contains(QStringLiteral("Nuovo genere")));
    }

    // A search that cannot write its result table keeps the previous result.
    void structuredSearchResultTable() {
        const ArchiveDef& books = Archives::def(Archive::Books);
        const QString titolo = QStringLiteral("TITOLO");
        const auto resultRows = [&] {
            return db_->query(QStringLiteral("SELECT TITOLO FROM ") + books.resultTable).size();
        };
        QCOMPARE(StructuredSearch::run(*db_, books, titolo, QStringLiteral("LIBRI 2")).count, 1);
        const QStringList before = stored();
        int found = 0;
        failEachWriteInTurn(
            SQLITE_FULL,
            [&] {
                found = StructuredSearch::run(*db_, books, titolo, QStringLiteral("LIBRI")).count;
            },
            [&] {
                QCOMPARE(stored(), before);
                QCOMPARE(resultRows(), 1);
            });
        QCOMPARE(found, 3);
        QCOMPARE(resultRows(), 3);
    }

    // A backup over an earlier one, and a restore from it, failing at every write in
    // turn: each failure is reported, leaves the catalogue and the earlier backup whole
    // with every card they held and nothing beside them, and the next try succeeds.
    void backupAndRestore_data() {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<int>("code");
        for (const bool restore : {false, true})
            for (const int code : {SQLITE_FULL, SQLITE_IOERR_WRITE})
                QTest::addRow("%s/%s", restore ? "restore" : "backup",
                              code == SQLITE_FULL ? "full" : "ioerr")
                    << restore << code;
    }
    void backupAndRestore() {
        QFETCH(bool, restore);
        QFETCH(int, code);
        const QString catalogue = folder_->cataloguePath();
        const QString backup = CatalogueFiles::backupPath();
        CatalogueFiles::backup(backup);
        db_->query(QStringLiteral("INSERT INTO LIBRI (TITOLO) VALUES (?)"),
                   {QStringLiteral("dopo il backup")});
        db_.reset();  // the caller closes the catalogue first
        const QStringList backedUp = contentOf(backup);
        const QStringList before = stored();
        QCOMPARE(before.first(), QStringLiteral("ok"));
        QCOMPARE(before.size(), backedUp.size() + 1);
        const QDir folder(folder_->path());
        const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
        failEachWriteInTurn(
            code,
            [&] {
                if (restore)
                    CatalogueFiles::restore(backup);
                else
                    CatalogueFiles::backup(backup);
            },
            [&] {
                QCOMPARE(stored(), before);
                QCOMPARE(contentOf(backup), backedUp);
                QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), files);
            });
        QCOMPARE(stored(), restore ? backedUp : before);
        QCOMPARE(contentOf(backup), restore ? backedUp : before);
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), files);
    }

    // A failed compaction leaves no copy behind and the catalogue as it was.
    void compactionOnAFullDisk() {
        const QStringList before = stored();
        db_.reset();
        const QString target = folder_->file("COPIA.MDB");
        failEachWriteInTurn(
            SQLITE_FULL, [&] { DbMaintenance::compact(folder_->cataloguePath(), target); },
            [&] {
                QVERIFY(!QFile::exists(target));
                QCOMPARE(stored(), before);
            });
        QCOMPARE(contentOf(target), before);
    }
};

QTEST_GUILESS_MAIN(TestStorageFaults)
#include "tst_storagefaults.moc"
