#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "TempProgramFolder.h"
#include "prefs/ui/AboutBox.h"

namespace {

AboutInfo sample(int major, int minor, int revision) {
    AboutInfo info;
    info.title = QStringLiteral("Raccolio 5.5 Pro");
    info.major = major;
    info.minor = minor;
    info.revision = revision;
    info.legalNotice = QStringLiteral("Avviso legale");
    info.programFileName = QStringLiteral("RACCOLIO");
    info.helpFileName = QStringLiteral("RACCOLIO.HLP");
    info.engineName = QStringLiteral("SQLite");
    info.engineVersion = QStringLiteral("3.40.1");
    return info;
}

QString text(QWidget& w, const char* name) {
    if (auto* l = w.findChild<QLabel*>(QString::fromLatin1(name)))
        return l->text();
    if (auto* e = w.findChild<QLineEdit*>(QString::fromLatin1(name)))
        return e->text();
    return QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

}  // namespace

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void filledWhenShown_data();
    void filledWhenShown();
    void showsTheRealProgramAndEngine();
    void comingBackDoesNotRefill();
    void iconBlinksEverySecond();
    void okCloses();
};

void TestAboutBox::filledWhenShown_data() {
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("majorMinor");
    QTest::addColumn<QString>("revisionText");
    QTest::newRow("minor 12") << 12 << 0 << "2.12"
                              << "0000";
    QTest::newRow("minor 0") << 0 << 0 << "2.00"
                             << "0000";
    QTest::newRow("minor 3, revision 7") << 3 << 7 << "2.03"
                                         << "0007";
}

void TestAboutBox::filledWhenShown() {
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, majorMinor);
    QFETCH(QString, revisionText);
    TempProgramFolder folder;
    AboutBox box(folder.services, nullptr, sample(2, minor, revision));
    QCOMPARE(box.objectName(), QStringLiteral("about"));
    // Design captions until the window is first shown.
    QCOMPARE(box.windowTitle(), QStringLiteral("Informazioni su "));
    QCOMPARE(text(box, "Label2"), QStringLiteral("Versione"));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("Informazioni su Raccolio 5.5 Pro"));
    QCOMPARE(text(box, "Label1"), QStringLiteral("Raccolio 5.5 Pro"));
    QCOMPARE(text(box, "Label2"),
             QStringLiteral("Versione: 2.") + majorMinor.mid(2) + QLatin1Char('.') + revisionText);
    QCOMPARE(text(box, "Label6"), majorMinor);
    QCOMPARE(text(box, "Label7"), majorMinor);
    QCOMPARE(text(box, "Label8"), revisionText);
    QCOMPARE(text(box, "Label9"), revisionText);
    QCOMPARE(text(box, "Label3"), QStringLiteral("Avviso legale"));
    QCOMPARE(text(box, "Text1"), QStringLiteral("RACCOLIO"));
    QCOMPARE(text(box, "Text2"), QStringLiteral("RACCOLIO.HLP"));
    QCOMPARE(text(box, "Label11"), QStringLiteral("3.40.1"));
    QCOMPARE(text(box, "SSPanel1"), QStringLiteral(" Programma"));
    QCOMPARE(text(box, "SSPanel2"), QStringLiteral(" Versione"));
    QCOMPARE(text(box, "SSPanel3"), QStringLiteral(" Revisione"));
    QVERIFY(!box.findChild<QLabel*>(QStringLiteral("Picture4"))->pixmap().isNull());
}

void TestAboutBox::showsTheRealProgramAndEngine() {
    TempProgramFolder folder;
    AboutBox box(folder.services);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(text(box, "Label12").startsWith(QStringLiteral("SQLite")));
    QVERIFY(text(box, "Label11").startsWith(QStringLiteral("3.")));
    QCOMPARE(text(box, "Text1"), QStringLiteral("TST_ABOUTBOX"));
    QCOMPARE(text(box, "Label2"), QStringLiteral("Versione: %1.%2.%3")
                                      .arg(RACCOLIO_VERSION_MAJOR)
                                      .arg(RACCOLIO_VERSION_MINOR, 2, 10, QLatin1Char('0'))
                                      .arg(RACCOLIO_VERSION_PATCH, 4, 10, QLatin1Char('0')));
    QVERIFY(!text(box, "Label3").isEmpty());
}

void TestAboutBox::comingBackDoesNotRefill() {
    TempProgramFolder folder;
    AboutBox box(folder.services, nullptr, sample(2, 3, 7));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.findChild<QLabel*>(QStringLiteral("Label6"))->setText(QStringLiteral("marcato"));
    // Away and back (as a minimise and restore does): nothing is filled again.
    box.hide();
    box.show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&box, &activate);
    QCOMPARE(text(box, "Label6"), QStringLiteral("marcato"));
    QCOMPARE(box.windowTitle(), QStringLiteral("Informazioni su Raccolio 5.5 Pro"));

    // A second opening is a new window, filled again.
    AboutBox second(folder.services, nullptr, sample(2, 3, 7));
    second.show();
    QCOMPARE(text(second, "Label6"), QStringLiteral("2.03"));
}

void TestAboutBox::iconBlinksEverySecond() {
    TempProgramFolder folder;
    QCOMPARE(AboutBox(folder.services, nullptr, sample(2, 0, 0))
                 .findChild<QTimer*>(QStringLiteral("Timer1"))
                 ->interval(),
             1000);

    AboutBox box(folder.services, nullptr, sample(2, 0, 0), 15);
    auto* timer = box.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(!timer->isActive());
    box.show();
    QVERIFY(timer->isActive());
    QSignalSpy ticks(timer, &QTimer::timeout);
    QList<qint64> icons;
    for (int i = 0; i < 4; ++i) {
        QVERIFY(ticks.wait(1000));
        icons << box.windowIcon().cacheKey();
    }
    // Two pictures, one after the other.
    QVERIFY(icons[0] != icons[1]);
    QCOMPARE(icons[2], icons[0]);
    QCOMPARE(icons[3], icons[1]);
    box.hide();
    QVERIFY(!timer->isActive());
}

void TestAboutBox::okCloses() {
    TempProgramFolder folder;
    AboutBox box(folder.services, nullptr, sample(2, 0, 0));
    box.open();
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("Command1"));
    QCOMPARE(ok->text(), QStringLiteral("&OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(folder.messages.count(), 0);
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
