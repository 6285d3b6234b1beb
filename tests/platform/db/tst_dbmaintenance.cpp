#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Maintenance.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Transaction.h"
#include "test_support/DamagedPages.h"
#include "test_support/ErrorOf.h"
#include "test_support/FileBytes.h"

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

    static QString card(const QString& table, qint64 n) {
        return QStringLiteral("%1 scheda %2 ").arg(table).arg(n) + QString(120, QChar(u'à'));
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

        write("RACCOLIO.VID", QByteArray(8192, 'x'));
        QCOMPARE(errorOf([&] { DbMaintenance::repair(path("RACCOLIO.VID")); }),
                 ErrorCode::NotACatalogue);
        QCOMPARE(contents("RACCOLIO.VID"), QByteArray(8192, 'x'));
        QVERIFY(!DbMaintenance::isHealthy(path("RACCOLIO.VID")));
        QCOMPARE(filesInDir(), (QStringList{"RACCOLIO.MDB", "RACCOLIO.VID"}));
    }

    void repairSalvagesIntactCards() {
        const int rows = 3000;
        makeCatalogue(path("RACCOLIO.MDB"), rows);
        // Ruin one page in the middle of each table's pages.
        QFile f(path("RACCOLIO.MDB"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 pages = f.size() / 4096;
        QVERIFY(pages > 100);
        for (const qint64 page : {pages / 4, pages * 3 / 4}) {
            f.seek(page * 4096);
            f.write(QByteArray(4096, char(0xFF)));
        }
        f.close();
        const auto held = Database::open(path("RACCOLIO.MDB"));  // must not outlive the repair
        QVERIFY(!DbMaintenance::isHealthy(path("RACCOLIO.MDB")));
        // No copy of a damaged file replaces a good one.
        write("RACCOLIO.BK4", "the last good backup");
        QCOMPARE(
            errorOf([&] { DbMaintenance::copyOver(path("RACCOLIO.MDB"), path("RACCOLIO.BK4")); }),
            ErrorCode::DatabaseDamaged);
        QCOMPARE(contents("RACCOLIO.BK4"), QByteArray("the last good backup"));
        QVERIFY(QFile::remove(path("RACCOLIO.BK4")));

        QVERIFY(DbMaintenance::repair(path("RACCOLIO.MDB")));
        QVERIFY(DbMaintenance::isHealthy(path("RACCOLIO.MDB")));
        QCOMPARE(filesInDir(), QStringList{"RACCOLIO.MDB"});
        for (const QString& table : {QStringLiteral("LIBRI"), QStringLiteral("VIDEO")}) {
            const auto saved = cards(path("RACCOLIO.MDB"), table);
            // One page holds a few dozen cards: the rest is saved, each card as it was.
            QVERIFY2(saved.size() < rows && saved.size() > rows - 100,
                     qPrintable(QStringLiteral("%1: %2 cards").arg(table).arg(saved.size())));
            for (auto it = saved.begin(); it != saved.end(); ++it)
                QCOMPARE(it.value(), card(table, it.key()));
            // The cards after the damaged page are there too, in their order.
            QVERIFY(saved.contains(rows));
        }
        // A healthy file is left alone.
        const QByteArray repaired = contents("RACCOLIO.MDB");
        QVERIFY(!DbMaintenance::repair(path("RACCOLIO.MDB")));
        QCOMPARE(contents("RACCOLIO.MDB"), repaired);
        QCOMPARE(filesInDir(), QStringList{"RACCOLIO.MDB"});
    }

    // Damage that the copy itself does not meet: VACUUM INTO rebuilds indexes from the
    // rows, so only the source's integrity check can refuse the copy, and a copy that
    // lost rows only the count.
    void copiesThatLookFineAreStillChecked() {
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
