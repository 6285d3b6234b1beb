#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "cards/Catalogue.h"
#include "platform/db/Database.h"
#include "platform/settings/SettingsStore.h"
#include "test_support/FileBytes.h"
#include "test_support/ProgramRun.h"

// The real program started as a user would, on a folder of its own.
class TestProgramStart : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home;

    QString catalogue() const { return home->filePath(QStringLiteral("RACCOLIO.MDB")); }
    void start(QProcess& program) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RACCOLIO_HOME"), home->path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home->filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("RACCOLIO_UNATTENDED"), QStringLiteral("1"));
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

    void startsOnAnEmptyFolder() {
        QProcess program;
        start(program);
        expectCleanStart(program, catalogue());
    }

    void foreignFileIsLeftAlone() {
        const QByteArray foreign = QByteArray("Standard Jet DB\0\0\0", 18) + QByteArray(4000, 'x');
        QVERIFY(writeBytes(catalogue(), foreign));
        const QString err = failedRun();
        QVERIFY2(err.contains(QStringLiteral("non è un archivio valido")), qPrintable(err));
        QCOMPARE(readBytes(catalogue()), foreign);
    }

    // A catalogue whose first page is damaged is not taken for a foreign file: start-up
    // offers to salvage it (declined here, as an unattended run answers No), touches
    // nothing and ends.
    void damagedCatalogueIsOfferedRepair() {
        Catalogue::create(catalogue());
        QFile f(catalogue());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(100);  // past the file header: the table of tables
        f.write(QByteArray(400, char(0xFF)));
        f.close();
        const QByteArray damaged = readBytes(catalogue());
        const QString err = failedRun();
        QVERIFY2(err.contains(QStringLiteral("[question]")) &&
                     err.contains(QStringLiteral("danneggiato")),
                 qPrintable(err));
        QCOMPARE(readBytes(catalogue()), damaged);
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
