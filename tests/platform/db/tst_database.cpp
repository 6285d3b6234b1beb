#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "cards/Catalogue.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/ProgressScope.h"
#include "platform/db/Transaction.h"
#include "test_support/ErrorOf.h"
#include "test_support/FileBytes.h"

// Opening files, refusing foreign ones untouched, and the table definitions.
class TestDatabase : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void missingFile() {
        const QString path = dir_.filePath(QStringLiteral("missing.db"));
        QCOMPARE(errorOf([&] { Database::open(path); }), ErrorCode::FileNotFound);
        QVERIFY(!QFile::exists(path));
        Database::open(path, Database::OpenMode::CreateIfMissing);
        QVERIFY(QFile::exists(path));  // laid on disk at once
    }

    // Every stored change waits for the disk: a card stored survives a power cut. The
    // data sources' connection is the one opened here.
    void changesAreFlushedToDisk() {
        const QString path = dir_.filePath(QStringLiteral("flush.mdb"));
        Catalogue::create(path);
        DataSource source;
        source.setDatabaseName(path);
        source.setRecordSource(QStringLiteral("LIBRI"));
        source.refresh();
        const auto mode = source.database().query(QStringLiteral("PRAGMA synchronous"));
        QCOMPARE(mode.first().first().toInt(), 2);  // FULL
    }

    // A foreign file, and a catalogue cut in half, fail to open with NotACatalogue and
    // are left as they were.
    void notACatalogueIsLeftUntouched() {
        QByteArray foreign("Standard Jet DB\0", 16);
        for (int i = 0; i < 5000; ++i)
            foreign.append(char(i * 7));
        const QString full = dir_.filePath(QStringLiteral("full.mdb"));
        Catalogue::create(full);
        {
            auto db = Database::open(full);
            Transaction transaction(*db);
            for (int i = 0; i < 300; ++i)
                db->query(QStringLiteral("INSERT INTO LIBRI (TITOLO, NOTE) VALUES (?, ?)"),
                          {QStringLiteral("Libro %1").arg(i), QString(200, QLatin1Char('n'))});
            transaction.commit();
        }
        const QByteArray catalogue = readBytes(full);
        QVERIFY(catalogue.size() > 16384);
        for (const QByteArray& bytes : {foreign, catalogue.left(catalogue.size() / 2)}) {
            const QString path = dir_.filePath(QStringLiteral("refused%1.mdb").arg(bytes.size()));
            QVERIFY(writeBytes(path, bytes));
            for (auto mode :
                 {Database::OpenMode::ExistingOnly, Database::OpenMode::CreateIfMissing})
                QCOMPARE(errorOf([&] { Database::open(path, mode); }), ErrorCode::NotACatalogue);
            QCOMPARE(errorOf([&] { Catalogue::openOrCreate(path); }), ErrorCode::NotACatalogue);
            QCOMPARE(readBytes(path), bytes);
            QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
        }
    }

    void tableDefinitions() {
        auto db = Database::open(dir_.filePath(QStringLiteral("t.db")),
                                 Database::OpenMode::CreateIfMissing);
        db->createTable(QStringLiteral("Zeta"), {QStringLiteral("B"), QStringLiteral("A")});
        db->createTable(QStringLiteral("Alfa \"x\""), {QStringLiteral("NOTE")});
        QCOMPARE(db->tableNames(), (QStringList{"Zeta", "Alfa \"x\""}));
        QCOMPARE(db->fieldNames(QStringLiteral("zeta")), (QStringList{"B", "A"}));
        QCOMPARE(db->canonicalTableName(QStringLiteral("ZETA")), QStringLiteral("Zeta"));
        QVERIFY(db->hasTable(QStringLiteral("alfa \"X\"")));
        QCOMPARE(errorOf([&] { db->createTable(QStringLiteral("zeta"), {QStringLiteral("C")}); }),
                 ErrorCode::DatabaseError);

        db->dropTable(QStringLiteral("ZETA"));
        QVERIFY(!db->hasTable(QStringLiteral("Zeta")));
        QCOMPARE(errorOf([&] { db->dropTable(QStringLiteral("Zeta")); }), ErrorCode::ItemNotFound);
        QCOMPARE(errorOf([&] { db->fieldNames(QStringLiteral("Zeta")); }), ErrorCode::ItemNotFound);
    }

    void transactionRollsBackUnlessCommitted() {
        auto db = Database::open(dir_.filePath(QStringLiteral("tr.db")),
                                 Database::OpenMode::CreateIfMissing);
        const auto count = [&] { return db->query(QStringLiteral("SELECT * FROM T")).size(); };
        db->createTable(QStringLiteral("T"), {QStringLiteral("A")});
        QCOMPARE(errorOf([&] {
                     Transaction transaction(*db);
                     db->exec(QStringLiteral("INSERT INTO T VALUES (1)"));
                     db->exec(QStringLiteral("INSERT INTO nowhere VALUES (1)"));
                     transaction.commit();
                 }),
                 ErrorCode::DatabaseError);
        QCOMPARE(count(), 0);
        Transaction transaction(*db);
        db->exec(QStringLiteral("INSERT INTO T VALUES (1)"));
        transaction.commit();
        QCOMPARE(count(), 1);
    }

    // Long statements can be stopped, a stop or a failure in the tick never outlives its
    // scope, and a nested scope hands the connection back to the one around it.
    void progressScope() {
        auto db = Database::open(dir_.filePath(QStringLiteral("progress.db")),
                                 Database::OpenMode::CreateIfMissing);
        const QString longCount = QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000000) "
            "SELECT COUNT(*) FROM n");
        int outerTicks = 0;
        {
            ProgressScope outer(db->handle(), [&] { return ++outerTicks < 3; });
            QVERIFY(errorOf([&] { db->query(longCount); }) != 0);
            QVERIFY(outer.interrupted());
            QCOMPARE(outerTicks, 3);
            {
                int innerTicks = 0;
                ProgressScope inner(db->handle(), [&] { return ++innerTicks > 0; });
                QCOMPARE(db->query(longCount).value(0).value(0).toLongLong(), 5000000);
                QVERIFY(innerTicks > 0);
                QCOMPARE(outerTicks, 3);
            }
            // The outer scope is back, still stopping.
            QVERIFY(errorOf([&] { db->query(longCount); }) != 0);
        }
        const int ticksBefore = outerTicks;
        QCOMPARE(db->query(longCount).value(0).value(0).toLongLong(), 5000000);
        QCOMPARE(outerTicks, ticksBefore);

        // A tick that throws stops the statement; its exception comes back afterwards.
        ProgressScope failing(db->handle(), []() -> bool { throw std::runtime_error("tick"); });
        QVERIFY(errorOf([&] { db->query(longCount); }) != 0);
        QVERIFY(failing.interrupted());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, failing.rethrowIfFailed());
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
