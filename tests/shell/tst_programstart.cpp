#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/db/Database.h"
#include "platform/settings/SettingsStore.h"

// The real program started as a user would, on a folder of its own.
class TestProgramStart : public QObject {
    Q_OBJECT

    static QProcessEnvironment environment(const QTemporaryDir& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RACCOLIO_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("RACCOLIO_UNATTENDED"), QStringLiteral("1"));
        return env;
    }
    // Settings prepared as the program would, with no about box to wait on.
    static void quietSettings(const QTemporaryDir& home) {
        SettingsStore settings(home.filePath(QStringLiteral("config")));
        settings.ensureDefaults();
        settings.write(QStringLiteral("About"), QStringLiteral("0"));
    }

private slots:
    void startsOnAnEmptyFolder() {
        QTemporaryDir home;
        quietSettings(home);
        QProcess program;
        program.setProcessEnvironment(environment(home));
        program.start(QStringLiteral(RACCOLIO_BINARY), {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("RACCOLIO.MDB"))),
                                 20000);
        QTest::qWait(1500);  // the first activation runs
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
        // Not one message on the way.
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(!err.contains(QLatin1Char('[')), qPrintable(err));
        auto db = Database::open(home.filePath(QStringLiteral("RACCOLIO.MDB")));
        QVERIFY(db->hasTable(QStringLiteral("LIBRI")));
    }

    void foreignFileIsLeftAlone() {
        QTemporaryDir home;
        quietSettings(home);
        const QByteArray foreign = QByteArray("Standard Jet DB\0\0\0", 18) + QByteArray(4000, 'x');
        QFile f(home.filePath(QStringLiteral("RACCOLIO.MDB")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(foreign);
        f.close();
        QProcess program;
        program.setProcessEnvironment(environment(home));
        program.start(QStringLiteral(RACCOLIO_BINARY), {});
        QVERIFY(program.waitForFinished(20000));
        QVERIFY(program.exitCode() != 0);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("non è un archivio valido")), qPrintable(err));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), foreign);
    }

    void secondInstanceIsRefused() {
        QTemporaryDir home;
        quietSettings(home);
        QProcess first;
        first.setProcessEnvironment(environment(home));
        first.start(QStringLiteral(RACCOLIO_BINARY), {});
        QVERIFY(first.waitForStarted());
        // The first instance creates the catalogue once it holds the lock.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("RACCOLIO.MDB"))),
                                 20000);

        QProcess second;
        second.setProcessEnvironment(environment(home));
        second.start(QStringLiteral(RACCOLIO_BINARY), {});
        QVERIFY(second.waitForFinished(20000));
        QVERIFY(second.exitCode() != 0);
        QVERIFY2(
            QString::fromUtf8(second.readAllStandardError())
                .contains(QStringLiteral("Una istanza di Raccolio 5.5 Pro è già in esecuzione.")),
            "the refusal message was not shown");
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestProgramStart)
#include "tst_programstart.moc"
