#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/db/Database.h"
#include "platform/settings/SettingsStore.h"
#include "test_support/ProgramRun.h"

// The program installed with `cmake --install` into a throw-away prefix, then started
// as a user would: data read from the prefix, catalogue made in the user's data folder.
class TestInstalledProgram : public QObject {
    Q_OBJECT

    // The CMake that configured the build tree, so that its install script agrees.
    static QString cmakeOf(const QString& buildDir) {
        QFile cache(buildDir + QStringLiteral("/CMakeCache.txt"));
        if (cache.open(QIODevice::ReadOnly)) {
            static const QRegularExpression line(QStringLiteral("^CMAKE_COMMAND:INTERNAL=(.+)$"),
                                                 QRegularExpression::MultilineOption);
            const auto m = line.match(QString::fromUtf8(cache.readAll()));
            if (m.hasMatch())
                return m.captured(1).trimmed();
        }
        return QStandardPaths::findExecutable(QStringLiteral("cmake"));
    }

private slots:
    void installedProgramStartsOnANewCatalogueInTheUsersFolder() {
        const QString buildDir = QFileInfo(QStringLiteral(RACCOLIO_BINARY)).path();
        const QString cmake = cmakeOf(buildDir);
        if (cmake.isEmpty() || !QFile::exists(buildDir + QStringLiteral("/cmake_install.cmake")))
            QSKIP("no CMake or no install script beside the program: cannot install it here");

        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString prefix = tmp.filePath(QStringLiteral("prefix"));
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(cmake,
                      {QStringLiteral("--install"), buildDir, QStringLiteral("--prefix"), prefix});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());

        const QDir share(prefix + QStringLiteral("/share"));
        for (const char* installed :
             {"raccolio/RACCOLIO.HLP", "raccolio/attori.dat", "raccolio/LIBRI.RPT",
              "applications/org.raccolio.Raccolio.desktop",
              "metainfo/org.raccolio.Raccolio.metainfo.xml",
              "icons/hicolor/scalable/apps/raccolio.svg",
              "icons/hicolor/256x256/apps/raccolio.png", "doc/raccolio/copyright",
              "doc/raccolio/changelog.gz"})
            QVERIFY2(share.exists(QLatin1String(installed)), installed);

        const QString config = tmp.filePath(QStringLiteral("config"));
        SettingsStore settings(config);
        settings.ensureDefaults();
        settings.write(QStringLiteral("About"), QStringLiteral("0"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("RACCOLIO_HOME"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), tmp.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("RACCOLIO_UNATTENDED"), QStringLiteral("1"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(prefix + QStringLiteral("/bin/raccolio"), {});
        expectCleanStart(program, tmp.filePath(QStringLiteral("data/raccolio/RACCOLIO.MDB")));
        if (QTest::currentTestFailed())
            return;
        // Nothing written beside the installed files.
        QVERIFY(!QFile::exists(prefix + QStringLiteral("/bin/RACCOLIO.MDB")));
        QVERIFY(!QFile::exists(prefix + QStringLiteral("/share/raccolio/RACCOLIO.MDB")));
    }
};

QTEST_GUILESS_MAIN(TestInstalledProgram)
#include "tst_installedprogram.moc"
