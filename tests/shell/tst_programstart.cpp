#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "cards/Catalogue.h"
#include "platform/db/Database.h"
#include "platform/settings/SettingsStore.h"
#include "test_support/DamagedPages.h"
#include "test_support/FileBytes.h"
#include "test_support/ProgramRun.h"

// The real program started as a user would, on a folder of its own.
class TestProgramStart : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home;

    QString catalogue() const { return home->filePath(QStringLiteral("RACCOLIO.MDB")); }
    QString backup() const { return home->filePath(QStringLiteral("RACCOLIO.BK4")); }
    // A catalogue with cards in it, and its automatic backup.
    void catalogueWithBackup() const {
        Catalogue::create(catalogue());
        auto db = Database::open(catalogue());
        for (int i = 0; i < 3; ++i)
            db->exec(QStringLiteral("INSERT INTO LIBRI (TITOLO) VALUES ('Libro')"));
        db->query(QStringLiteral("VACUUM INTO ?"), {backup()});
    }
    int setAside() const {
        return int(QDir(home->path()).entryList({QStringLiteral("RACCOLIO.damaged-*")}).size());
    }
    // Runs the program with these answers to its questions until it has shown its first
    // card, which it must reach; returns its standard error.
    QString runningRun(const QString& answers) const {
        QProcess program;
        start(program, answers);
        if (!program.waitForStarted())
            QTest::qFail("the program did not start", __FILE__, __LINE__);
        QTest::qWait(2500);
        const bool running = program.state() == QProcess::Running;
        program.kill();
        program.waitForFinished();
        const QString err = QString::fromUtf8(program.readAllStandardError());
        if (!running)
            QTest::qFail(qPrintable(QStringLiteral("the program ended: ") + err), __FILE__,
                         __LINE__);
        return err;
    }
    void start(QProcess& program, const QString& answers = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RACCOLIO_HOME"), home->path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home->filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("RACCOLIO_UNATTENDED"), QStringLiteral("1"));
        env.insert(QStringLiteral("RACCOLIO_UNATTENDED_ANSWERS"), answers);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(RACCOLIO_BINARY), {});
    }
    // Runs the program to its end, which must be a failure; returns its standard error.
    QString failedRun() const {
        QProcess program;
        start(program);
        if (!program.waitForFinished(20000) || program.exitCode() == 0)
            QTest::qFail("the program did not end with a failure", __FILE__, __LINE__);
        return QString::fromUtf8(program.readAllStandardError());
    }

private slots:
    // Settings prepared as the program would, with no about box to wait on.
    void init() {
        home = std::make_unique<QTemporaryDir>();
        SettingsStore settings(home->filePath(QStringLiteral("config")));
        settings.ensureDefaults();
        settings.write(QStringLiteral("About"), QStringLiteral("0"));
    }

    // Its header overwritten, the catalogue is no longer an SQLite file, yet it is not
    // taken for a foreign one: every way out is offered, and declining them all leaves it
    // as it was.
    void headerLostCatalogueIsOfferedEveryWayOut() {
        catalogueWithBackup();
        QVERIFY(writeBytes(catalogue(),
                           QByteArray(4096, char(0xA5)) + readBytes(catalogue()).mid(4096)));
        const QByteArray damaged = readBytes(catalogue());
        QCOMPARE(failedRun().count(QStringLiteral("[question]")), 3);
        QCOMPARE(readBytes(catalogue()), damaged);
        QCOMPARE(setAside(), 0);
    }

    // An emptied catalogue, with no backup: set aside, a new one in its place.
    void emptiedCatalogueIsSetAside() {
        QVERIFY(writeBytes(catalogue(), {}));
        const QString err = runningRun(QStringLiteral("no,yes"));
        QCOMPARE(err.count(QStringLiteral("[question]")), 2);
        QVERIFY2(!err.contains(QStringLiteral("[critical] Si è verificato")), qPrintable(err));
        QVERIFY(Database::open(catalogue())->hasTable(QStringLiteral("LIBRI")));
        QCOMPARE(setAside(), 1);
    }

    // A damaged page of the cards shown first: one offer to recover, then either the
    // salvaged cards or the end of the program, and never a message about sources left
    // closed.
    void damagedCardPageIsOfferedOnce() {
        catalogueWithBackup();
        QVERIFY(QFile::remove(backup()));
        QVERIFY(overwritePage(
            catalogue(), pageOf(catalogue(), QStringLiteral("LIBRI"), QStringLiteral("leaf"))));
        QString err = failedRun();
        QCOMPARE(err.count(QStringLiteral("[question]")), 2);  // salvage; a new catalogue
        QCOMPARE(err.count(QStringLiteral("[critical]")), 1);
        QVERIFY2(!err.contains(QStringLiteral("3420")), qPrintable(err));

        err = runningRun(QStringLiteral("yes"));
        QCOMPARE(err.count(QLatin1Char('[')), 2);  // the offer, and the salvage's success
        QVERIFY2(err.contains(QStringLiteral("[information]")), qPrintable(err));
        QVERIFY(Database::open(catalogue())->hasTable(QStringLiteral("LIBRI")));
    }

    // A first start on a folder with no catalogue, only what runs left there: what killed
    // runs left goes, what a live one is writing stays.
    void startsAfreshClearingLeftoversOfKilledRuns() {
        const QString dead = home->filePath(QStringLiteral(".RACCOLIO.MDB.999999999-0a1b2c3d.tmp"));
        const QString alive = home->filePath(QStringLiteral(".RACCOLIO.BK4.%1-0a1b2c3d.tmp")
                                                 .arg(QCoreApplication::applicationPid()));
        for (const QString& file : {dead, alive})
            QVERIFY(writeBytes(file, "x"));
        QProcess program;
        start(program);
        expectCleanStart(program, catalogue());
        QVERIFY(!QFile::exists(dead));
        QVERIFY(QFile::exists(alive));
    }

    void secondInstanceIsRefused() {
        QProcess first;
        start(first);
        QVERIFY(first.waitForStarted());
        // The first instance creates the catalogue once it holds the lock.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(catalogue()), 20000);
        QVERIFY(failedRun().contains(QStringLiteral("già in esecuzione")));
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestProgramStart)
#include "tst_programstart.moc"
