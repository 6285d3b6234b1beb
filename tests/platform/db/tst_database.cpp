#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "cards/Catalogue.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Transaction.h"
#include "test_support/ErrorOf.h"

// Opening files, refusing foreign ones untouched, and the table definitions.
class TestDatabase : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Opening a file that is not a catalogue fails with NotACatalogue and leaves it as it was.
    void expectRefusedUntouched(const QString& path) {
        const QByteArray before = contents(path);
        for (auto mode : {Database::OpenMode::ExistingOnly, Database::OpenMode::CreateIfMissing})
            QCOMPARE(errorOf([&] { Database::open(path, mode); }), ErrorCode::NotACatalogue);
        QCOMPARE(errorOf([&] { Catalogue::openOrCreate(path); }), ErrorCode::NotACatalogue);
        QCOMPARE(contents(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void missingFile() {
        const QString path = dir_.filePath(QStringLiteral("missing.db"));
        QCOMPARE(errorOf([&] { Database::open(path); }), ErrorCode::FileNotFound);
        QVERIFY(!QFile::exists(path));
        Database::open(path, Database::OpenMode::CreateIfMissing);
        QVERIFY(QFile::exists(path));  // laid on disk at once
    }

    void foreignFileUntouched() {
        const QString path = dir_.filePath(QStringLiteral("foreign.mdb"));
        QByteArray bytes("Standard Jet DB\0", 16);
        for (int i = 0; i < 5000; ++i)
            bytes.append(char(i * 7));
        write(path, bytes);
        expectRefusedUntouched(path);
    }

    void truncatedCatalogueUntouched() {
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
        const QByteArray bytes = contents(full);
        QVERIFY(bytes.size() > 16384);
        const QString path = dir_.filePath(QStringLiteral("truncated.mdb"));
        write(path, bytes.left(bytes.size() / 2));
        expectRefusedUntouched(path);
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
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
