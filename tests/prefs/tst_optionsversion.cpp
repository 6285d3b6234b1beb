#include <QTest>

#include "prefs/Options.h"
#include "prefs/VersionText.h"

class TestOptionsVersion : public QObject {
    Q_OBJECT

private slots:
    void storedValuesTickByNumericValue();
    void versionMasks_data();
    void versionMasks();
    void programFileNameKeepsTheRealSuffix();
    void currentInfoComesFromTheBuild();
};

void TestOptionsVersion::storedValuesTickByNumericValue() {
    QVERIFY(Options::isTicked(QStringLiteral("1")));
    QVERIFY(Options::isTicked(QStringLiteral(" 1")));
    QVERIFY(!Options::isTicked(QStringLiteral("0")));
    QVERIFY(!Options::isTicked(QString()));
    QVERIFY(!Options::isTicked(QStringLiteral("sì")));
    QVERIFY(!Options::isTicked(QStringLiteral("2")));
}

void TestOptionsVersion::versionMasks_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("majorMinor");
    QTest::addColumn<QString>("revisionText");
    QTest::newRow("2.3.7") << 2 << 3 << 7 << "Versione: 2.03.0007"
                           << "2.03"
                           << "0007";
    QTest::newRow("minor 12") << 2 << 12 << 0 << "Versione: 2.12.0000"
                              << "2.12"
                              << "0000";
    QTest::newRow("minor 0") << 2 << 0 << 0 << "Versione: 2.00.0000"
                             << "2.00"
                             << "0000";
    QTest::newRow("wider than the masks") << 12 << 345 << 67890 << "Versione: 12.345.67890"
                                          << "12.345"
                                          << "67890";
}

void TestOptionsVersion::versionMasks() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, full);
    QFETCH(QString, majorMinor);
    QFETCH(QString, revisionText);
    QCOMPARE(VersionText::full(major, minor, revision), full);
    QCOMPARE(VersionText::majorMinor(major, minor), majorMinor);
    QCOMPARE(VersionText::revision(revision), revisionText);
}

void TestOptionsVersion::programFileNameKeepsTheRealSuffix() {
    QCOMPARE(AboutInfo::programFileNameOf(QStringLiteral("/opt/raccolio/raccolio")),
             QStringLiteral("RACCOLIO"));
    QCOMPARE(AboutInfo::programFileNameOf(QStringLiteral("C:/Programmi/Raccolio/Raccolio.exe")),
             QStringLiteral("RACCOLIO.EXE"));
}

void TestOptionsVersion::currentInfoComesFromTheBuild() {
    const AboutInfo info = AboutInfo::current();
    QCOMPARE(info.title, QStringLiteral("Raccolio 5.5 Pro"));
    QCOMPARE(info.major, RACCOLIO_VERSION_MAJOR);
    QCOMPARE(info.minor, RACCOLIO_VERSION_MINOR);
    QCOMPARE(info.revision, RACCOLIO_VERSION_PATCH);
    QCOMPARE(info.engineName, QStringLiteral("SQLite"));
    QVERIFY(!info.engineVersion.isEmpty());
    QCOMPARE(info.helpFileName, QStringLiteral("RACCOLIO.HLP"));
    QCOMPARE(info.programFileName, QStringLiteral("TST_OPTIONSVERSION"));
    QVERIFY(!info.legalNotice.isEmpty());
}

QTEST_GUILESS_MAIN(TestOptionsVersion)
#include "tst_optionsversion.moc"
