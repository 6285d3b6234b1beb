#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "TempProgramFolder.h"
#include "prefs/PasswordRules.h"
#include "prefs/ui/OptionsWindow.h"

namespace {

QCheckBox* box(QWidget& w, int n) {
    return w.findChild<QCheckBox*>(QStringLiteral("Check%1").arg(n));
}
QPushButton* passwordButton(QWidget& w) {
    return w.findChild<QPushButton*>(QStringLiteral("Command1"));
}
void pressOk(QWidget& w) {
    w.findChild<QAction*>(QStringLiteral("OK"))->trigger();
}

}  // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT

private slots:
    void showsTheStoredSwitches();
    void passwordButtonFollowsAttivaPassword();
    void okStoresEveryBoxWhenSaveIsTicked();
    void okWithSaveUntickedStoresOnlyConferma();
    void closingFromTheTitleBarStoresNothing();
    void switchingPasswordOnWithoutOneAsksNothingAtStartup();
    void passwordButtonOpensTheChangeWindowModally();
};

void TestOptionsWindow::showsTheStoredSwitches() {
    TempProgramFolder folder;  // the settings as first created
    OptionsWindow window(folder.services);
    QCOMPARE(window.objectName(), QStringLiteral("Form3"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Configurazione programma..."));
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Opzioni"));
    const QStringList captions = {"Avvisa eliminazione cartelle",
                                  "Visualizza finestra di about all'avvio",
                                  "Avvisa uscita programma",
                                  "Avvisa inserimento cartelle",
                                  "Salva impostazioni in uscita",
                                  "Attiva password",
                                  "Visualizza info risoluzione video all'avvio"};
    const QList<bool> ticked = {true, true, true, false, true, false, false};
    for (int n = 1; n <= 7; ++n) {
        QCOMPARE(box(window, n)->text(), captions[n - 1]);
        QCOMPARE(box(window, n)->isChecked(), ticked[n - 1]);
    }
    QCOMPARE(passwordButton(window)->text(), QStringLiteral("&Password"));
    QVERIFY(!passwordButton(window)->isEnabled());

    folder.settings.write(QStringLiteral("Elimina"), QStringLiteral("0"));
    folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
    folder.settings.write(QStringLiteral("SetRisoluzione"), QStringLiteral("1"));
    OptionsWindow again(folder.services);
    QVERIFY(!box(again, 1)->isChecked());
    QVERIFY(box(again, 6)->isChecked());
    QVERIFY(box(again, 7)->isChecked());
    QVERIFY(passwordButton(again)->isEnabled());
}

void TestOptionsWindow::passwordButtonFollowsAttivaPassword() {
    TempProgramFolder folder;
    OptionsWindow window(folder.services);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCheckBox* attiva = box(window, 6);
    QTest::mouseClick(attiva, Qt::LeftButton, {}, QPoint(6, attiva->height() / 2));
    QVERIFY(attiva->isChecked());
    QVERIFY(passwordButton(window)->isEnabled());
    QTest::mouseClick(attiva, Qt::LeftButton, {}, QPoint(6, attiva->height() / 2));
    QVERIFY(!passwordButton(window)->isEnabled());

    // The button sits on the same row, right after the box.
    const QRect boxRect(attiva->mapTo(&window, QPoint()), attiva->size());
    const QRect buttonRect(passwordButton(window)->mapTo(&window, QPoint()),
                           passwordButton(window)->size());
    QVERIFY(buttonRect.left() >= boxRect.left() + attiva->sizeHint().width());
    QVERIFY(qAbs(buttonRect.center().y() - boxRect.center().y()) <= 4);
}

void TestOptionsWindow::okStoresEveryBoxWhenSaveIsTicked() {
    TempProgramFolder folder;
    OptionsWindow window(folder.services);
    window.open();
    box(window, 1)->setChecked(false);
    box(window, 4)->setChecked(true);
    box(window, 7)->setChecked(true);
    pressOk(window);
    QVERIFY(!window.isVisible());
    QCOMPARE(folder.settings.read("Elimina"), QStringLiteral("0"));
    QCOMPARE(folder.settings.read("About"), QStringLiteral("1"));
    QCOMPARE(folder.settings.read("Uscita"), QStringLiteral("1"));
    QCOMPARE(folder.settings.read("Aggiungi"), QStringLiteral("1"));
    QCOMPARE(folder.settings.read("Conferma"), QStringLiteral("1"));
    QCOMPARE(folder.settings.read("OnPassword"), QStringLiteral("0"));
    QCOMPARE(folder.settings.read("SetRisoluzione"), QStringLiteral("1"));
}

void TestOptionsWindow::okWithSaveUntickedStoresOnlyConferma() {
    TempProgramFolder folder;
    {
        OptionsWindow window(folder.services);
        window.open();
        box(window, 5)->setChecked(false);
        box(window, 1)->setChecked(false);
        box(window, 4)->setChecked(true);
        box(window, 6)->setChecked(true);
        pressOk(window);
        QVERIFY(!window.isVisible());
    }
    QCOMPARE(folder.settings.read("Conferma"), QStringLiteral("0"));
    QCOMPARE(folder.settings.read("Elimina"), QStringLiteral("1"));
    QCOMPARE(folder.settings.read("Aggiungi"), QStringLiteral("0"));
    QCOMPARE(folder.settings.read("OnPassword"), QStringLiteral("0"));
    QCOMPARE(folder.settings.read("SetRisoluzione"), QString());

    OptionsWindow reopened(folder.services);
    QVERIFY(!box(reopened, 5)->isChecked());
    QVERIFY(box(reopened, 1)->isChecked());
    QVERIFY(!box(reopened, 4)->isChecked());
    QVERIFY(!box(reopened, 6)->isChecked());
}

void TestOptionsWindow::closingFromTheTitleBarStoresNothing() {
    TempProgramFolder folder;
    OptionsWindow window(folder.services);
    window.open();
    box(window, 1)->setChecked(false);
    box(window, 5)->setChecked(false);
    QVERIFY(window.close());
    QCOMPARE(folder.settings.read("Elimina"), QStringLiteral("1"));
    QCOMPARE(folder.settings.read("Conferma"), QStringLiteral("1"));
}

void TestOptionsWindow::switchingPasswordOnWithoutOneAsksNothingAtStartup() {
    TempProgramFolder folder;
    OptionsWindow window(folder.services);
    window.open();
    box(window, 6)->setChecked(true);
    pressOk(window);
    QCOMPARE(folder.settings.read("OnPassword"), QStringLiteral("1"));
    QVERIFY(!PasswordRules::promptNeeded(folder.settings));
}

void TestOptionsWindow::passwordButtonOpensTheChangeWindowModally() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("abc"));
    OptionsWindow window(folder.services);
    window.open();
    QString seen;
    QTimer::singleShot(0, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        seen = modal ? modal->objectName() : QString();
        if (modal)
            modal->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    });
    QTest::mouseClick(passwordButton(window), Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("Form4"));
    QVERIFY(window.isVisible());  // back in the options window
    QCOMPARE(folder.settings.read("Password"), QStringLiteral("abc"));
}

QTEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
