#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The real program, started twice on one program folder: the second refuses to run.
class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondInstanceIsRefused() {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RACCOLIO_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("RACCOLIO_UNATTENDED"), QStringLiteral("1"));

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(RACCOLIO_BINARY), {});
        QVERIFY(first.waitForStarted());
        // The first instance creates the catalogue once it holds the lock.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(QStringLiteral("RACCOLIO.MDB"))), 20000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(RACCOLIO_BINARY), {});
        QVERIFY(second.waitForFinished(20000));
        QVERIFY(second.exitCode() != 0);
        QVERIFY2(QString::fromUtf8(second.readAllStandardError())
                     .contains(QStringLiteral("Una istanza di Raccolio 5.5 Pro è già in esecuzione.")),
                 "the refusal message was not shown");
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
