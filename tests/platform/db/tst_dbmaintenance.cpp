#include <QDir>
#include <QRandomGenerator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Maintenance.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Transaction.h"
#include "platform/db/TrigramIndex.h"
#include "test_support/DamagedPages.h"
#include "test_support/ErrorOf.h"
#include "test_support/FileBytes.h"

namespace {

// Set: every flush to the disk fails, as on a disk that reports a write error.
bool flushesFail = false;

}  // namespace

// Stands in for the C library's fsync in this program, which links the core statically, so
// that a test can play a disk that cannot flush.
extern "C" int fsync(int fd) {
    if (flushesFail) {
        errno = EIO;
        return -1;
    }
    return int(::syscall(SYS_fsync, fd));
}

// Compaction into a new file and repair in place.
class TestDbMaintenance : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;

    QString path(const QString& name) const { return dir_->filePath(name); }

    QByteArray contents(const QString& name) const { return readBytes(path(name)); }
    void write(const QString& name, const QByteArray& bytes) const {
        QVERIFY(writeBytes(path(name), bytes));
    }

    // Long enough that the tree has pages between its root and its leaves; every seventh
    // card spills onto overflow pages.
    static QString card(const QString& table, qint64 n) {
        return QStringLiteral("%1 scheda %2 ").arg(table).arg(n) +
               QString(n % 7 ? 400 : 3000, QChar(u'à'));
    }

    // Two tables of `rows` cards each, written one table after the other.
    void makeCatalogue(const QString& file, int rows) {
        auto db = Database::open(file, Database::OpenMode::CreateIfMissing);
        Transaction transaction(*db);
        for (const QString& table : {QStringLiteral("LIBRI"), QStringLiteral("VIDEO")}) {
            db->createTable(table, {QStringLiteral("TITOLO"), QStringLiteral("NOTE")});
            for (int i = 1; i <= rows; ++i)
                db->query(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(table),
                          {card(table, i), QVariant()});
        }
        TrigramIndex::create(*db, QStringLiteral("LIBRI"));
        transaction.commit();
    }

    // rowid -> TITOLO of a table.
    static QMap<qint64, QString> cards(const QString& file, const QString& table) {
        auto db = Database::open(file);
        QMap<qint64, QString> out;
        for (const QVariantList& r :
             db->query(QStringLiteral("SELECT rowid, TITOLO FROM %1").arg(table)))
            out.insert(r[0].toLongLong(), r[1].toString());
        return out;
    }

    QStringList filesInDir() const {
        return QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void compactCopiesEveryCard() {
        makeCatalogue(path("RACCOLIO.MDB"), 500);
        DataSource ds;
        ds.setDatabaseName(path("RACCOLIO.MDB"));
        ds.setRecordSource(QStringLiteral("VIDEO"));
        ds.refresh();
        const auto stale = ds.sharedDatabase();  // a holder left behind
        stale->query(QStringLiteral("DELETE FROM LIBRI WHERE rowid % 3 = 0"));
        ds.closeDatabase();  // as maintenance does before file-level work
        const auto libri = cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"));
        DbMaintenance::compact(path("RACCOLIO.MDB"), path("RACCOLIO.VID"));
        QCOMPARE(cards(path("RACCOLIO.VID"), QStringLiteral("LIBRI")).values(), libri.values());
        QCOMPARE(cards(path("RACCOLIO.VID"), QStringLiteral("VIDEO")).size(), 500);
        QVERIFY(QFileInfo(path("RACCOLIO.VID")).size() < QFileInfo(path("RACCOLIO.MDB")).size());
        QVERIFY(DbMaintenance::isHealthy(path("RACCOLIO.VID")));
        QCOMPARE(filesInDir(), (QStringList{"RACCOLIO.MDB", "RACCOLIO.VID"}));

        // The copy takes the original's name. Opening it again reaches the new file, not the
        // connection to the old one left behind.
        Database::open(path("RACCOLIO.VID"))->exec(QStringLiteral("DELETE FROM VIDEO"));
        QVERIFY(QFile::remove(path("RACCOLIO.MDB")));
        QVERIFY(QFile::rename(path("RACCOLIO.VID"), path("RACCOLIO.MDB")));
        ds.refresh();
        QVERIFY(ds.sharedDatabase() != stale);
        QCOMPARE(ds.recordset().recordCount(), 0);
    }

    // Compaction over an existing file, repair of a foreign one, and either on a missing
    // file: refused, and nothing is touched or left behind.
    void refusalsTouchNothing() {
        makeCatalogue(path("RACCOLIO.MDB"), 10);
        write("RACCOLIO.VID", "not to be touched");
        QCOMPARE(
            errorOf([&] { DbMaintenance::compact(path("RACCOLIO.MDB"), path("RACCOLIO.VID")); }),
            ErrorCode::DestinationExists);
        QCOMPARE(contents("RACCOLIO.VID"), QByteArray("not to be touched"));
        QCOMPARE(errorOf([&] { DbMaintenance::compact(path("NESSUNO.MDB"), path("X.VID")); }),
                 ErrorCode::FileNotFound);
        QCOMPARE(errorOf([&] { DbMaintenance::repair(path("NESSUNO.MDB")); }),
                 ErrorCode::FileNotFound);

        // A foreign file, with or without the tables a catalogue is known to hold; and a
        // database header before pages that hold nothing readable.
        const auto refused = [&](const QByteArray& bytes, bool knownTables, int code) {
            write("RACCOLIO.VID", bytes);
            std::vector<DbMaintenance::KnownTable> known;
            if (knownTables)
                known.push_back({QStringLiteral("LIBRI"), {QStringLiteral("TITOLO")}});
            QCOMPARE(errorOf([&] { DbMaintenance::repair(path("RACCOLIO.VID"), {}, known); }),
                     code);
            QCOMPARE(contents("RACCOLIO.VID"), bytes);
        };
        refused(QByteArray(8192, 'x'), false, ErrorCode::NotACatalogue);
        refused(QByteArray(8192, 'x'), true, ErrorCode::NotACatalogue);
        refused(contents("RACCOLIO.MDB").left(100) + QByteArray(8092, 'x'), true,
                ErrorCode::DatabaseError);
        QVERIFY(!DbMaintenance::isHealthy(path("RACCOLIO.VID")));
        QCOMPARE(filesInDir(), (QStringList{"RACCOLIO.MDB", "RACCOLIO.VID"}));
    }

    // One page of LIBRI overwritten with random bytes: every card on a leaf page that is
    // still intact comes back with its rowid, whatever happened above it; VIDEO is whole.
    void repairSalvagesEveryIntactLeaf_data() {
        QTest::addColumn<QString>("damaged");
        QTest::newRow("interior") << "interior";
        QTest::newRow("leaf") << "leaf";
        QTest::newRow("root") << "root";
    }
    void repairSalvagesEveryIntactLeaf() {
        QFETCH(QString, damaged);
        const int rows = 3000;
        makeCatalogue(path("RACCOLIO.MDB"), rows);
        const auto libri = cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"));
        qint64 page = 0, intact = 0;
        {
            auto db = Database::open(path("RACCOLIO.MDB"));
            const qint64 root =
                db->query("SELECT rootpage FROM sqlite_master WHERE name = 'LIBRI'")[0][0]
                    .toLongLong();
            const char* pick =
                damaged == "interior"
                    ? "SELECT pageno FROM dbstat WHERE name = 'LIBRI' AND pagetype = 'internal' "
                      "AND pageno <> ? ORDER BY pageno LIMIT 1 OFFSET 1"
                : damaged == "leaf"
                    ? "SELECT pageno FROM dbstat WHERE name = 'LIBRI' AND pagetype = 'leaf' "
                      "AND pageno <> ? ORDER BY pageno LIMIT 1 OFFSET 100"
                    : "SELECT ?";
            page = db->query(QString::fromLatin1(pick), {root})[0][0].toLongLong();
            QVERIFY(page > 1);
            // What a reader of the pages can still find: the cells of every other leaf.
            intact = db->query("SELECT sum(ncell) FROM dbstat WHERE name = 'LIBRI' AND "
                               "pagetype = 'leaf' AND pageno <> ?",
                               {page})[0][0]
                         .toLongLong();
            QCOMPARE(intact < rows, damaged == "leaf");
        }
        QFile f(path("RACCOLIO.MDB"));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((page - 1) * 4096));
        QRandomGenerator random(20);
        QByteArray noise(4096, 0);
        for (char& c : noise)
            c = char(random.bounded(256));
        f.write(noise);
        f.close();
        const auto held = Database::open(path("RACCOLIO.MDB"));  // must not outlive the repair
        QVERIFY(!DbMaintenance::isHealthy(path("RACCOLIO.MDB")));
        const QByteArray before = contents("RACCOLIO.MDB");
        if (damaged == "leaf") {
            // A hook that fails (the damaged file could not be kept) stops the repair before
            // anything is replaced.
            QCOMPARE(errorOf([&] {
                         DbMaintenance::repair(path("RACCOLIO.MDB"), {}, {}, [] {
                             throw AppError(ErrorCode::FileError, QStringLiteral("test"), {});
                         });
                     }),
                     ErrorCode::FileError);
            QCOMPARE(contents("RACCOLIO.MDB"), before);
            QCOMPARE(filesInDir(), QStringList{"RACCOLIO.MDB"});
        }
        QByteArray kept;
        qint64 done = 0, total = 0, steps = 0;
        const DbMaintenance::RepairReport report = DbMaintenance::repair(
            path("RACCOLIO.MDB"),
            [&](qint64 d, qint64 t) {
                QVERIFY(d >= done);  // the salvage's steps never go back
                done = d;
                total = t;
                ++steps;
            },
            {}, [&] { kept = contents("RACCOLIO.MDB"); });
        QVERIFY(steps > 10);
        QCOMPARE(done, total);
        QCOMPARE(kept, before);  // the hook sees the damaged file, still whole, in its place
        QVERIFY(report.salvaged);
        QVERIFY(DbMaintenance::isHealthy(path("RACCOLIO.MDB")));
        QCOMPARE(filesInDir(), QStringList{"RACCOLIO.MDB"});

        const auto saved = cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"));
        QCOMPARE(saved.size(), intact);
        for (auto it = saved.begin(); it != saved.end(); ++it)
            QCOMPARE(it.value(), libri.value(it.key()));
        QCOMPARE(cards(path("RACCOLIO.MDB"), QStringLiteral("VIDEO")).size(), rows);
        QCOMPARE(report.tables.size(), size_t(2));
        QCOMPARE(report.tables[0].name, QStringLiteral("LIBRI"));
        QCOMPARE(report.tables[0].recovered, intact);
        // The cards of a damaged leaf cannot be counted, only bounded by the keys above it
        // (rowids here have no gaps); above the leaves nothing is lost.
        QCOMPARE(report.tables[0].lost, damaged == "leaf" ? -1 : 0);
        if (damaged == "leaf")
            QCOMPARE(report.tables[0].lostAtMost, rows - intact);
        QCOMPARE(report.tables[1].recovered, rows);
        QCOMPARE(report.tables[1].lost, 0);
        // The search index is made again over what came back, not counted as lost cards.
        QCOMPARE(report.unassigned, 0);
        {
            auto db = Database::open(path("RACCOLIO.MDB"));
            QCOMPARE(TrigramIndex::indexedTables(*db), QStringList{QStringLiteral("LIBRI")});
            QVERIFY(TrigramIndex::passesIntegrityCheck(*db));
        }

        // A healthy file is left alone.
        const QByteArray repaired = contents("RACCOLIO.MDB");
        QVERIFY(!DbMaintenance::repair(path("RACCOLIO.MDB")).salvaged);
        QCOMPARE(contents("RACCOLIO.MDB"), repaired);
    }

    // The salvaged copy takes the damaged file's place only when it passes SQLite's check
    // and holds exactly the rows written into it; else the repair fails and nothing changes.
    void salvagedCopiesAreCheckedBeforeTheyReplace() {
        makeCatalogue(path("RACCOLIO.MDB"), 200);
        QVERIFY(overwritePage(path("RACCOLIO.MDB"),
                              pageOf(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"),
                                     QStringLiteral("leaf"))));
        const auto refused = [&](const DbMaintenance::Verify& verify) {
            const QByteArray before = contents("RACCOLIO.MDB");
            bool replaced = false;
            QCOMPARE(errorOf([&] {
                         DbMaintenance::repair(
                             path("RACCOLIO.MDB"), {}, {}, [&] { replaced = true; }, verify);
                     }),
                     ErrorCode::DatabaseError);
            QVERIFY(!replaced);
            QCOMPARE(contents("RACCOLIO.MDB"), before);
            QCOMPARE(filesInDir(), QStringList{"RACCOLIO.MDB"});
        };
        // An index that no longer matches its rows; every row is still there.
        refused([](Database& copy) {
            copy.exec(QStringLiteral(
                "CREATE INDEX PROVA ON VIDEO (TITOLO); PRAGMA writable_schema = ON; "
                "UPDATE sqlite_master SET sql = 'CREATE INDEX PROVA ON VIDEO (NOTE)' "
                "WHERE name = 'PROVA'; PRAGMA writable_schema = RESET"));
        });
        QVERIFY(DbMaintenance::repair(path("RACCOLIO.MDB")).salvaged);

        // A damaged schema that makes VIDEO a temporary table: its rows are written, but not
        // into the file.
        {
            auto db = Database::open(path("RACCOLIO.MDB"));
            db->exec(QStringLiteral(
                "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = 'CREATE TABLE "
                "temp.VIDEO (TITOLO TEXT, NOTE TEXT)' WHERE name = 'VIDEO'"));
        }
        QVERIFY(!DbMaintenance::isHealthy(path("RACCOLIO.MDB")));
        refused({});
    }

    // The damaged file's schema is read from its bytes like the cards: of each entry only the
    // first statement runs, and only when it makes an object of the entry's own kind.
    void schemaTextOnlyMakesWhatItDeclares() {
        makeCatalogue(path("RACCOLIO.MDB"), 200);
        Database::open(path("RACCOLIO.MDB"))
            ->exec(QStringLiteral(
                "CREATE INDEX ORDINE ON VIDEO (TITOLO); CREATE VIEW ELENCO AS SELECT 1; "
                "PRAGMA writable_schema = ON; "
                "UPDATE sqlite_master SET sql = sql || '; DELETE FROM VIDEO' "
                "WHERE name = 'ORDINE'; "
                "UPDATE sqlite_master SET sql = 'PRAGMA query_only = 1' "
                "WHERE name = 'ELENCO'"));
        const DbMaintenance::RepairReport report = DbMaintenance::repair(path("RACCOLIO.MDB"));
        QVERIFY(report.salvaged);
        QCOMPARE(cards(path("RACCOLIO.MDB"), QStringLiteral("VIDEO")).size(), 200);
        QCOMPARE(Database::open(path("RACCOLIO.MDB"))
                     ->query("SELECT name FROM sqlite_master WHERE type IN ('index', 'view')"),
                 QList<QVariantList>{{QStringLiteral("ORDINE")}});
    }

    // A table keyed by its own columns, without rowids, as another tool may add one: it does
    // not stop the salvage. It is made again empty and its rows, counted, are lost; the
    // archives come back. With a page of its own unreadable, or a loop among its pages, its
    // rows can no longer be counted.
    void tablesWithoutRowidsAreLeftEmpty() {
        makeCatalogue(path("RACCOLIO.MDB"), 200);
        const auto fill = [&] {
            Database::open(path("RACCOLIO.MDB"))
                ->exec(QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS ALTRO (CHIAVE TEXT PRIMARY KEY, VALORE TEXT) "
                    "  WITHOUT ROWID;"
                    "CREATE INDEX IF NOT EXISTS ALTRO_VALORE ON ALTRO (VALORE);"
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                    "  WHERE i < 2000)"
                    "INSERT INTO ALTRO SELECT printf('%0200d', i), 'v' FROM n"));
        };
        fill();
        QVERIFY(overwritePage(
            path("RACCOLIO.MDB"),
            pageOf(path("RACCOLIO.MDB"), QStringLiteral("VIDEO"), QStringLiteral("leaf"))));
        // Recovered and lost.
        const auto altro = [](const DbMaintenance::RepairReport& report) {
            const auto it = std::find_if(report.tables.begin(), report.tables.end(),
                                         [](const auto& t) { return t.name == "ALTRO"; });
            return it == report.tables.end() ? QPair<qint64, qint64>(-2, -2)
                                             : QPair<qint64, qint64>(it->recovered, it->lost);
        };
        const DbMaintenance::RepairReport report = DbMaintenance::repair(path("RACCOLIO.MDB"));
        QCOMPARE(altro(report), (QPair<qint64, qint64>(0, 2000)));
        QCOMPARE(cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI")).size(), 200);
        QCOMPARE(Database::open(path("RACCOLIO.MDB"))
                     ->query(QStringLiteral("SELECT count(*) FROM ALTRO INDEXED BY ALTRO_VALORE"))
                     .value(0),
                 QVariantList{0});

        for (const bool loop : {false, true}) {
            fill();
            if (loop) {
                // The right-most child of its root is the root itself.
                const qint64 root = Database::open(path("RACCOLIO.MDB"))
                                        ->query(
                                            "SELECT rootpage FROM sqlite_master "
                                            "WHERE name = 'ALTRO'")[0][0]
                                        .toLongLong();
                QByteArray bytes = contents("RACCOLIO.MDB");
                QCOMPARE(bytes[(root - 1) * 4096], char(0x02));
                for (int i = 0; i < 4; ++i)
                    bytes[(root - 1) * 4096 + 8 + i] = char(quint32(root) >> (24 - 8 * i));
                write("RACCOLIO.MDB", bytes);
            } else {
                QVERIFY(overwritePage(
                    path("RACCOLIO.MDB"),
                    pageOf(path("RACCOLIO.MDB"), QStringLiteral("ALTRO"), QStringLiteral("leaf"))));
            }
            QCOMPARE(altro(DbMaintenance::repair(path("RACCOLIO.MDB"))),
                     (QPair<qint64, qint64>(0, -1)));
        }
    }

    // Rows stored before a column was added hold fewer fields than the table has columns:
    // they come back with the columns' defaults, as SQLite itself reads them, also where a
    // column may not be NULL. A row the table's constraints refuse is counted lost.
    void olderRowsTakeTheColumnsDefaults() {
        makeCatalogue(path("RACCOLIO.MDB"), 200);
        Database::open(path("RACCOLIO.MDB"))
            ->exec(QStringLiteral(
                "CREATE TABLE GENERI (NOME TEXT);"
                "INSERT INTO GENERI VALUES ('giallo'), (NULL), ('storico');"
                "ALTER TABLE GENERI ADD COLUMN TIPO TEXT NOT NULL DEFAULT 'libro';"
                "ALTER TABLE GENERI ADD COLUMN POSTO TEXT DEFAULT 'scaffale';"
                "INSERT INTO GENERI VALUES ('jazz', 'disco', NULL);"
                // A name becomes required after the fact: the row without one cannot stay.
                "PRAGMA writable_schema = ON;"
                "UPDATE sqlite_master SET sql = replace(sql, 'NOME TEXT', 'NOME TEXT NOT NULL')"
                "  WHERE name = 'GENERI';"
                "PRAGMA writable_schema = RESET"));
        QVERIFY(overwritePage(
            path("RACCOLIO.MDB"),
            pageOf(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"), QStringLiteral("leaf"))));
        const DbMaintenance::RepairReport report = DbMaintenance::repair(path("RACCOLIO.MDB"));
        QVERIFY(report.salvaged);
        const auto generi = std::find_if(report.tables.begin(), report.tables.end(),
                                         [](const auto& t) { return t.name == "GENERI"; });
        QVERIFY(generi != report.tables.end());
        QCOMPARE(generi->recovered, 3);
        QCOMPARE(generi->lost, 1);
        QCOMPARE(Database::open(path("RACCOLIO.MDB"))
                     ->query(QStringLiteral("SELECT rowid, NOME, TIPO, POSTO FROM GENERI")),
                 (QList<QVariantList>{{1, "giallo", "libro", "scaffale"},
                                      {3, "storico", "libro", "scaffale"},
                                      {4, "jazz", "disco", QVariant()}}));
        QCOMPARE(cards(path("RACCOLIO.MDB"), QStringLiteral("VIDEO")).size(), 200);
    }

    // An old copy of a leaf, left where no tree points, brings cards back a second time:
    // the first copy of each stays, and the second is no card lost.
    void staleCopiesAreNeitherKeptNorLost() {
        makeCatalogue(path("RACCOLIO.MDB"), 3000);
        const auto libri = cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"));
        qint64 interior = 0, leaf = 0;
        {
            auto db = Database::open(path("RACCOLIO.MDB"));
            const QVariantList under = db->query(
                "SELECT pageno, path FROM dbstat WHERE name = 'LIBRI' AND pagetype = 'internal' "
                "AND path <> '/' LIMIT 1")[0];
            interior = under[0].toLongLong();
            leaf = db->query(
                         "SELECT pageno FROM dbstat WHERE name = 'LIBRI' AND "
                         "pagetype = 'leaf' AND path LIKE ? || '%' LIMIT 1",
                         {under[1]})[0][0]
                       .toLongLong();
        }
        QByteArray bytes = contents("RACCOLIO.MDB");
        bytes += bytes.mid((leaf - 1) * 4096, 4096).replace("scheda", "SCHEDA");
        bytes.replace((interior - 1) * 4096, 4096, QByteArray(4096, char(0xFF)));
        write("RACCOLIO.MDB", bytes);
        const DbMaintenance::RepairReport report = DbMaintenance::repair(path("RACCOLIO.MDB"));
        QCOMPARE(report.tables.at(0).recovered, 3000);
        QCOMPARE(report.tables[0].lost, 0);
        QCOMPARE(cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI")), libri);
    }

    // A card whose text broke comes back whole from an old copy of its leaf met later, and
    // is then neither incomplete nor counted twice. Where the table refuses long texts, the
    // whole copy is turned away and the cut card stays.
    void wholeCopiesWinOverCutOnes_data() {
        QTest::addColumn<bool>("refused");
        QTest::newRow("taken") << false;
        QTest::newRow("refused") << true;
    }
    void wholeCopiesWinOverCutOnes() {
        QFETCH(bool, refused);
        makeCatalogue(path("RACCOLIO.MDB"), 3000);
        if (refused)
            Database::open(path("RACCOLIO.MDB"))
                ->exec(QStringLiteral(
                    "PRAGMA writable_schema = ON;"
                    "UPDATE sqlite_master SET sql = replace(sql, '\"NOTE\" TEXT',"
                    "  '\"NOTE\" TEXT CHECK (length(TITOLO) < 2500)') WHERE name = 'LIBRI';"
                    "PRAGMA writable_schema = RESET"));
        const auto libri = cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"));
        qint64 interior = 0, leaf = 0, overflow = 0;
        {
            auto db = Database::open(path("RACCOLIO.MDB"));
            const QVariantList under = db->query(
                "SELECT pageno, path FROM dbstat WHERE name = 'LIBRI' AND pagetype = 'internal' "
                "AND path <> '/' LIMIT 1")[0];
            interior = under[0].toLongLong();
            const QVariantList spill = db->query(
                "SELECT pageno, path FROM dbstat WHERE name = 'LIBRI' AND pagetype = 'overflow' "
                "AND path LIKE ? || '%' LIMIT 1",
                {under[1]})[0];
            overflow = spill[0].toLongLong();
            leaf = db->query("SELECT pageno FROM dbstat WHERE name = 'LIBRI' AND path = ?",
                             {spill[1].toString().chopped(10)})[0][0]
                       .toLongLong();
        }
        // The leaf loses its way to the note's page, met first; an old copy of it, later in
        // the file, still has it.
        QByteArray bytes = contents("RACCOLIO.MDB");
        const auto pageNumber = [](qint64 n) {
            QByteArray b(4, 0);
            for (int i = 0; i < 4; ++i)
                b[i] = char(n >> (24 - 8 * i));
            return b;
        };
        bytes += bytes.mid((leaf - 1) * 4096, 4096);
        QByteArray cut = bytes.mid((leaf - 1) * 4096, 4096);
        QCOMPARE(cut.count(pageNumber(overflow)), 1);
        cut.replace(pageNumber(overflow), pageNumber(bytes.size() / 4096 + 100));
        bytes.replace((leaf - 1) * 4096, 4096, cut);
        bytes.replace((interior - 1) * 4096, 4096, QByteArray(4096, char(0xFF)));
        write("RACCOLIO.MDB", bytes);
        const DbMaintenance::RepairReport report = DbMaintenance::repair(path("RACCOLIO.MDB"));
        const auto kept = cards(path("RACCOLIO.MDB"), QStringLiteral("LIBRI"));
        QCOMPARE(report.tables.at(0).recovered, kept.size());
        if (!refused) {
            QCOMPARE(report.tables[0].incomplete, 0);
            QCOMPARE(report.tables[0].lost, 0);
            QCOMPARE(kept, libri);
            return;
        }
        QCOMPARE(report.tables[0].incomplete, 1);
        QCOMPARE(kept.size(), 3000 - 3000 / 7 + 1);  // every seventh card is long
    }

    // A backup refuses a damaged source, or a copy that lost rows, and keeps the last good
    // copy. The damage here is what the copy itself does not meet: VACUUM INTO rebuilds
    // indexes from the rows, so only the source's integrity check can refuse the copy, and
    // a copy that lost rows only the count.
    void damagedSourcesAndCopiesAreRefused() {
        makeCatalogue(path("RACCOLIO.MDB"), 2000);
        Database::open(path("RACCOLIO.MDB"))
            ->exec(QStringLiteral("CREATE INDEX ORDINE_LIBRI ON LIBRI (TITOLO)"));
        DbMaintenance::copyOver(path("RACCOLIO.MDB"), path("RACCOLIO.BK4"));
        const QByteArray goodBackup = contents("RACCOLIO.BK4");

        const auto lose = [](Database& copy) {
            copy.exec(QStringLiteral("DELETE FROM VIDEO WHERE rowid = 7"));
        };
        QCOMPARE(errorOf([&] {
                     DbMaintenance::copyOver(path("RACCOLIO.MDB"), path("RACCOLIO.BK4"), lose);
                 }),
                 ErrorCode::DatabaseError);
        QCOMPARE(contents("RACCOLIO.BK4"), goodBackup);

        // Index entries that no longer match their rows: the copy would inherit them.
        QVERIFY(rewritePage(
            path("RACCOLIO.MDB"),
            pageOf(path("RACCOLIO.MDB"), QStringLiteral("ORDINE_LIBRI"), QStringLiteral("leaf")),
            "scheda", "SCHEDA"));
        Database::open(path("RACCOLIO.MDB"))
            ->query(QStringLiteral("VACUUM INTO ?"), {path("copia.tmp")});  // no error
        QVERIFY(QFile::remove(path("copia.tmp")));
        QCOMPARE(
            errorOf([&] { DbMaintenance::copyOver(path("RACCOLIO.MDB"), path("RACCOLIO.BK4")); }),
            ErrorCode::DatabaseDamaged);
        QCOMPARE(contents("RACCOLIO.BK4"), goodBackup);
        QCOMPARE(filesInDir(), (QStringList{"RACCOLIO.BK4", "RACCOLIO.MDB"}));
    }

    // A copy is the whole file with its mode, made on this file system or from another; it
    // takes no name already in use. One cut short, or that the disk cannot flush, is refused
    // and leaves nothing behind.
    void copiesAreWholeOrNothing() {
        QByteArray bytes(3 << 20, 0);
        QRandomGenerator random(5);
        for (char& c : bytes)
            c = char(random.bounded(256));
        write("RACCOLIO.MDB", bytes);
        QVERIFY(QFile::setPermissions(path("RACCOLIO.MDB"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        DbMaintenance::copyFile(path("RACCOLIO.MDB"), path("copia"));
        QCOMPARE(contents("copia"), bytes);
        QCOMPARE(QFileInfo(path("copia")).permissions(),
                 QFileInfo(path("RACCOLIO.MDB")).permissions());
        // Between file systems the kernel may refuse to copy; the plain copy takes over.
        QTemporaryDir elsewhere(QStringLiteral("/dev/shm/raccolio-XXXXXX"));
        if (elsewhere.isValid()) {
            QVERIFY(writeBytes(elsewhere.filePath("RACCOLIO.MDB"), bytes));
            DbMaintenance::copyFile(elsewhere.filePath("RACCOLIO.MDB"), path("altra"));
            QCOMPARE(contents("altra"), bytes);
        }
        write("altra", "in uso");
        QCOMPARE(errorOf([&] { DbMaintenance::copyFile(path("RACCOLIO.MDB"), path("altra")); }),
                 ErrorCode::FileError);
        QCOMPARE(contents("altra"), QByteArray("in uso"));

        const QStringList files = filesInDir();
        flushesFail = true;
        const int unflushed =
            errorOf([&] { DbMaintenance::copyFile(path("RACCOLIO.MDB"), path("copia2")); });
        flushesFail = false;
        QCOMPARE(unflushed, ErrorCode::FileError);
        // A disk that fills up after the first 64 KiB.
        rlimit limit{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = 64 << 10;
        const auto signalWas = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const int cut =
            errorOf([&] { DbMaintenance::copyFile(path("RACCOLIO.MDB"), path("copia3")); });
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
        std::signal(SIGXFSZ, signalWas);
        QCOMPARE(cut, ErrorCode::FileError);
        QCOMPARE(filesInDir(), files);
    }

    // What a killed run leaves goes at the next start; a file of a run still going, or one
    // merely named alike, stays.
    void leftoversOfKilledRunsGo() {
        const pid_t dead = ::fork();
        if (dead == 0)
            ::_exit(0);
        QVERIFY(dead > 0 && ::waitpid(dead, nullptr, 0) == dead);
        const auto temp = [](const char* target, qint64 pid, const char* tail = "") {
            return QStringLiteral(".%1.%2-0a1b2c3d.tmp%3")
                .arg(QLatin1String(target))
                .arg(pid)
                .arg(QLatin1String(tail));
        };
        const QStringList gone{temp("RACCOLIO.MDB", dead), temp("RACCOLIO.MDB", dead, "-journal"),
                               temp("Copia.bk4", dead)};
        const QStringList kept{temp("RACCOLIO.MDB", ::getpid()),
                               temp("RACCOLIO.MDB", 1, "-journal"),
                               QStringLiteral(".RACCOLIO.MDB.%1-0a1b2c3.tmp").arg(dead),
                               QStringLiteral(".RACCOLIO.MDB.%1-0A1B2C3D.tmp").arg(dead),
                               QStringLiteral("RACCOLIO.MDB.%1-0a1b2c3d.tmp").arg(dead),
                               QStringLiteral(".appunti.%1.tmp").arg(dead)};
        for (const QString& name : gone + kept)
            write(name, "x");
        QCOMPARE(DbMaintenance::removeDeadRunLeftovers(dir_->path()).size(), gone.size());
        QStringList expected = kept;
        expected.sort();
        QCOMPARE(filesInDir(), expected);
    }
};

QTEST_GUILESS_MAIN(TestDbMaintenance)
#include "tst_dbmaintenance.moc"
