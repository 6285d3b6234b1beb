#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "test_support/ErrorOf.h"

// A data source opens its record set on refresh, follows moves with a signal, and
// refuses every access once its database is closed.
class TestDataSource : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    // Whether this process has the file open (Linux: /proc/self/fd).
    static bool fileIsOpen(const QString& path) {
        const QDir fds(QStringLiteral("/proc/self/fd"));
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System))
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() == QFileInfo(path).canonicalFilePath())
                return true;
        return false;
    }
    QString catalogue() const { return dir_.filePath(QStringLiteral("raccolio.MDB")); }
    void openOn(DataSource& ds, const char* source) {
        ds.setDatabaseName(catalogue());
        ds.setRecordSource(QString::fromUtf8(source));
        ds.refresh();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("RACCOLIO_HOME", dir_.path().toLocal8Bit());
        auto db = Database::open(catalogue(), Database::OpenMode::CreateIfMissing);
        db->createTable(QStringLiteral("GEN2"), {QStringLiteral("GENERE")});
        for (const char* g : {"rock", "jazz", "blues"})
            db->query(QStringLiteral("INSERT INTO GEN2 VALUES (?)"), {QString::fromLatin1(g)});
    }

    void refreshOpensOnTheFirstRecord() {
        DataSource ds;
        ds.setDatabaseName(QStringLiteral("raccolio.MDB"));  // relative to the program folder
        ds.setRecordSource(QStringLiteral("select GEN2.* from GEN2 order by GENERE"));
        QVERIFY(!ds.isOpen());
        QSignalSpy changed(&ds, &DataSource::currentChanged);
        ds.refresh();
        QCOMPARE(ds.recordset().value(0).toString(), QStringLiteral("blues"));
        ds.moveNext();
        ds.moveLast();
        ds.movePrevious();
        ds.moveFirst();
        ds.movePrevious();
        // A failed move does not announce a change.
        QCOMPARE(errorOf([&] { ds.movePrevious(); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(changed.count(), 6);
    }

    void editIsStoredWhenTheSourceMoves() {
        DataSource ds;
        openOn(ds, "GEN2");
        ds.recordset().setValue(0, QStringLiteral("pop"));
        ds.moveNext();
        ds.setRecordSource(QStringLiteral("SELECT * FROM GEN2 WHERE GENERE LIKE \"pop\""));
        ds.refresh();
        QCOMPARE(ds.recordset().recordCount(), 1);
        ds.recordset().setValue(0, QStringLiteral("rock"));
        ds.setRecordSource(QStringLiteral("GEN2"));
        ds.refresh();  // a refresh stores the pending edit too
        QCOMPARE(ds.recordset().value(0).toString(), QStringLiteral("rock"));
    }

    void closedSourceRefusesAccessUntilRefresh() {
        DataSource ds;
        openOn(ds, "GEN2");
        ds.closeDatabase();
        QVERIFY(!ds.isOpen());
        QCOMPARE(errorOf([&] { ds.recordset(); }), ErrorCode::DatabaseClosed);
        QCOMPARE(errorOf([&] { ds.moveNext(); }), ErrorCode::DatabaseClosed);

        ds.refresh();
        QCOMPARE(ds.recordset().recordCount(), 3);
    }

    void sourcesOnOneFileShareOneConnection() {
        DataSource words, ordered;
        openOn(words, "GEN2");
        openOn(ordered, "select GEN2.* from GEN2 order by GENERE");
        QCOMPARE(words.database().handle(), ordered.database().handle());
        // Each set keeps its own place while the other one writes.
        ordered.moveLast();
        words.recordset().addNew();
        words.recordset().setValue(0, QStringLiteral("ska"));
        words.recordset().update();
        QCOMPARE(ordered.recordset().value(0).toString(), QStringLiteral("rock"));
        words.recordset().deleteCurrent();
        QCOMPARE(ordered.recordset().value(0).toString(), QStringLiteral("rock"));

        words.closeDatabase();
        QVERIFY(fileIsOpen(catalogue()));
        ordered.closeDatabase();
        QVERIFY(!fileIsOpen(catalogue()));  // released with its last holder
    }

    void refreshNeverCreatesAFile() {
        DataSource ds;
        ds.setDatabaseName(QStringLiteral("nessuno.MDB"));
        ds.setRecordSource(QStringLiteral("GEN2"));
        QCOMPARE(errorOf([&] { ds.refresh(); }), ErrorCode::FileNotFound);
        QVERIFY(!ds.isOpen());
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("nessuno.MDB"))));
    }
};

QTEST_GUILESS_MAIN(TestDataSource)
#include "tst_datasource.moc"
