#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "prefs/ui/AboutBox.h"
#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"

namespace {

AboutInfo sample() {
    return {QStringLiteral("Titolo"),
            2,
            3,
            7,
            QStringLiteral("Avviso legale"),
            QStringLiteral("PROGRAMMA"),
            QStringLiteral("GUIDA.HLP"),
            QStringLiteral("Motore"),
            QStringLiteral("3.40.1")};
}

QString label(const QWidget& w, const char* name) {
    return child<QLabel>(w, name)->text();
}
QString field(const QWidget& w, const char* name) {
    return child<QLineEdit>(w, name)->text();
}

}  // namespace

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void filledOnceWhenFirstShown() {
        TempProgramFolder folder;
        AboutBox box(folder.services, nullptr, sample());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.windowTitle().endsWith(QStringLiteral(" Titolo")));
        QCOMPARE(label(box, "Label1"), QStringLiteral("Titolo"));
        QCOMPARE(label(box, "Label2"), QStringLiteral("Versione: 2.03.0007"));
        QCOMPARE(label(box, "Label6"), QStringLiteral("2.03"));
        QCOMPARE(label(box, "Label7"), QStringLiteral("2.03"));
        QCOMPARE(label(box, "Label8"), QStringLiteral("0007"));
        QCOMPARE(label(box, "Label9"), QStringLiteral("0007"));
        QCOMPARE(label(box, "Label3"), QStringLiteral("Avviso legale"));
        QCOMPARE(field(box, "Text1"), QStringLiteral("PROGRAMMA"));
        QCOMPARE(field(box, "Text2"), QStringLiteral("GUIDA.HLP"));
        QVERIFY(label(box, "Label12").startsWith(QStringLiteral("Motore")));
        QCOMPARE(label(box, "Label11"), QStringLiteral("3.40.1"));
        QVERIFY(!child<QLabel>(box, "Picture4")->pixmap().isNull());

        const QString title = box.windowTitle();
        child<QLabel>(box, "Label6")->setText(QStringLiteral("marcato"));
        // Away and back (as a minimise and restore does): nothing is filled again.
        box.hide();
        box.show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&box, &activate);
        QCOMPARE(label(box, "Label6"), QStringLiteral("marcato"));
        QCOMPARE(box.windowTitle(), title);
        QTest::mouseClick(child<QPushButton>(box, "Command1"), Qt::LeftButton);
        QVERIFY(!box.isVisible());

        // A second opening is a new window, filled again.
        AboutBox second(folder.services, nullptr, sample());
        second.show();
        QCOMPARE(label(second, "Label6"), QStringLiteral("2.03"));
        QCOMPARE(folder.messages.count(), 0);
    }

    void iconBlinksEverySecond() {
        TempProgramFolder folder;
        AboutBox box(folder.services, nullptr, sample(), 15);
        auto* timer = child<QTimer>(box, "Timer1");
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
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
