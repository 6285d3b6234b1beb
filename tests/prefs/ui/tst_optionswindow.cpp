#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "prefs/ui/OptionsWindow.h"
#include "test_support/MainWindowFixture.h"

namespace {

QCheckBox* box(const QWidget& w, int n) {
    return child<QCheckBox>(w, QStringLiteral("Check%1").arg(n));
}
void pressOk(const QWidget& w) {
    child<QAction>(w, "OK")->trigger();
}

// The seven values, "Check1".."Check7" order, '-' for an absent one.
QString stored(const SettingsStore& settings) {
    QString all;
    for (const char* name :
         {"Elimina", "About", "Uscita", "Aggiungi", "Conferma", "OnPassword", "SetRisoluzione"}) {
        const QString value = settings.read(QString::fromLatin1(name));
        all += value.isEmpty() ? QStringLiteral("-") : value;
    }
    return all;
}

QString ticks(const QWidget& w) {
    QString all;
    for (int n = 1; n <= 7; ++n)
        all += box(w, n)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    return all;
}

}  // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT

private slots:
    void passwordButtonFollowsAttivaPassword() {
        TempProgramFolder folder;
        OptionsWindow window(folder.services);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCheckBox* attiva = box(window, 6);
        auto* button = child<QPushButton>(window, "Command1");
        QTest::mouseClick(attiva, Qt::LeftButton, {}, QPoint(6, attiva->height() / 2));
        QVERIFY(attiva->isChecked());
        QVERIFY(button->isEnabled());
        QTest::mouseClick(attiva, Qt::LeftButton, {}, QPoint(6, attiva->height() / 2));
        QVERIFY(!button->isEnabled());

        // The button sits on the same row, right after the box.
        const QRect boxRect(attiva->mapTo(&window, QPoint()), attiva->size());
        const QRect buttonRect(button->mapTo(&window, QPoint()), button->size());
        QVERIFY(buttonRect.left() >= boxRect.left() + attiva->sizeHint().width());
        QVERIFY(qAbs(buttonRect.center().y() - boxRect.center().y()) <= 4);
    }

    // What is stored with "Salva impostazioni in uscita" unticked is the options' rule;
    // here the boxes' order on the way in and out, and which way out stores.
    void boxesShowAndStoreTheValues() {
        TempProgramFolder folder;  // the settings as first created
        OptionsWindow window(folder.services);
        QCOMPARE(ticks(window), QStringLiteral("1110100"));
        QVERIFY(!child<QPushButton>(window, "Command1")->isEnabled());
        window.open();
        box(window, 1)->setChecked(false);
        box(window, 4)->setChecked(true);
        box(window, 7)->setChecked(true);
        pressOk(window);
        QVERIFY(!window.isVisible());
        QCOMPARE(stored(folder.settings), QStringLiteral("0111101"));
        OptionsWindow again(folder.services);
        QCOMPARE(ticks(again), QStringLiteral("0111101"));

        // Closing from the title bar stores nothing.
        again.open();
        box(again, 2)->setChecked(false);
        box(again, 5)->setChecked(false);
        QVERIFY(again.close());
        QCOMPARE(stored(folder.settings), QStringLiteral("0111101"));

        // Enter confirms from the keyboard.
        OptionsWindow third(folder.services);
        third.show();
        QVERIFY(QTest::qWaitForWindowActive(&third));
        box(third, 1)->setFocus();
        box(third, 1)->setChecked(true);
        QTest::keyClick(box(third, 1), Qt::Key_Return);
        QVERIFY(!third.isVisible());
        QCOMPARE(stored(folder.settings), QStringLiteral("1111101"));
    }

    void passwordButtonOpensTheChangeWindowModally() {
        TempProgramFolder folder;
        folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
        folder.settings.write(QStringLiteral("Password"), QStringLiteral("abc"));
        OptionsWindow window(folder.services);
        window.open();
        QCOMPARE(modalNameDuring([&] {
                     QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
                 }),
                 QStringLiteral("Form4"));
        QVERIFY(window.isVisible());  // back in the options window
        QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("abc"));
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
