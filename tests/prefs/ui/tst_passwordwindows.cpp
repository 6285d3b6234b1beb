#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "TempProgramFolder.h"
#include "prefs/PasswordRules.h"
#include "prefs/ui/PasswordChangeWindow.h"
#include "prefs/ui/PasswordPrompt.h"

namespace {

const QString kRetry = QStringLiteral(
    "Attenzione! La password inserita non corrisponde a quella del programma. Può provare ad "
    "inserirla ancora una volta, dopodiché il programma terminerà automaticamente.");
const QString kNoPassword = QStringLiteral(
    "Non è stata impostata ancora nessuna password. Per inserirne una nuova, non digitare "
    "nessun carattere nel campo VECCHIA PASSWORD.");
const QString kOldMismatch = QStringLiteral(
    "Attenzione! Il valore presente in VECCHIA PASSWORD, non corrisponde a quella "
    "effettivamente salvata in precedenza.");
const QString kVerify = QStringLiteral(
    "Attenzione! La verifica della nuova password ha dato esito negativo. Assicurarsi di "
    "averla digitata correttamente nei campi NUOVA PASSWORD e CONFERMA NUOVA PASSWORD.");

constexpr int kPause = 40;

template <typename T>
T* child(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

void protect(TempProgramFolder& folder, const QString& password) {
    folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
    folder.settings.write(QStringLiteral("Password"), password);
}

// Types into the prompt and presses its OK.
void enter(PasswordPrompt& prompt, const QString& text) {
    child<QLineEdit>(prompt, "Text1")->setText(text);
    QTest::mouseClick(child<QPushButton>(prompt, "Command1"), Qt::LeftButton);
}

}  // namespace

// Case, trailing blanks and the order of the checks are the rules' own tests; here the
// windows: what they show, where the focus goes, what they write, how they close.
class TestPasswordWindows : public QObject {
    Q_OBJECT

private slots:
    void promptLooksAsDesigned();
    void rightPasswordShowsSuccessPictureThenCloses();
    void oneWrongEntryWarnsAndTheRightOneStillOpens();
    void secondWrongEntryEndsTheProgram();
    void closingWithoutTheRightPasswordEndsTheProgram();
    void closingWithTheRightPasswordTypedLetsTheProgramGoOn();
    void startupRunsThePromptOnlyWhenNeeded();

    void changeWindowHintsWhenNoPasswordIsSet();
    void changeWindowAnswers_data();
    void changeWindowAnswers();
    void changeWindowCancelWritesNothing();
    void enterMovesToTheNextField();
};

void TestPasswordWindows::promptLooksAsDesigned() {
    TempProgramFolder folder;
    PasswordPrompt prompt(folder.services);
    QCOMPARE(prompt.objectName(), QStringLiteral("Password"));
    QCOMPARE(child<QLabel>(prompt, "SSPanel2")->text(),
             QStringLiteral("Password di Raccolio 5.5 Pro"));
    QCOMPARE(child<QLineEdit>(prompt, "Text1")->echoMode(), QLineEdit::Password);
    QCOMPARE(child<QPushButton>(prompt, "Command1")->text(), QStringLiteral("OK"));
    QVERIFY(!child<QLabel>(prompt, "Picture1")->pixmap().isNull());
    QVERIFY(!child<QLabel>(prompt, "Picture2")->isVisibleTo(&prompt));
}

void TestPasswordWindows::rightPasswordShowsSuccessPictureThenCloses() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    auto* picture = child<QLabel>(prompt, "Picture1");
    const QImage success = child<QLabel>(prompt, "Picture2")->pixmap().toImage();
    QVERIFY(picture->pixmap().toImage() != success);

    enter(prompt, QStringLiteral("Segreto"));
    // First pause: the success picture, window still up.
    QCOMPARE(picture->pixmap().toImage(), success);
    QVERIFY(prompt.isVisible());
    QVERIFY(picture->isVisible());
    // Second pause: the picture area empties, then the prompt closes.
    QTRY_VERIFY(!picture->isVisible());
    QVERIFY(prompt.isVisible());
    QTRY_VERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
    QCOMPARE(folder.messages.count(), 0);
    QVERIFY(!folder.state.passwordRetried);
}

void TestPasswordWindows::oneWrongEntryWarnsAndTheRightOneStillOpens() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    enter(prompt, QStringLiteral("segreto"));
    QCOMPARE(folder.messages.texts(), QStringList{kRetry});
    QCOMPARE(folder.messages.log().first().icon, MessageService::Icon::Information);
    QVERIFY(prompt.isVisible());
    QVERIFY(folder.state.passwordRetried);
    auto* field = child<QLineEdit>(prompt, "Text1");
    QCOMPARE(field->text(), QStringLiteral("segreto"));  // left as typed

    // Enter in the field answers as OK does.
    field->clear();
    QTest::keyClicks(field, QStringLiteral("Segreto"));
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

void TestPasswordWindows::secondWrongEntryEndsTheProgram() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    enter(prompt, QStringLiteral("uno"));
    enter(prompt, QStringLiteral("due"));
    QVERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Rejected));
    QCOMPARE(folder.messages.count(), 1);  // the end comes without a message
}

void TestPasswordWindows::closingWithoutTheRightPasswordEndsTheProgram() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    child<QLineEdit>(prompt, "Text1")->setText(QStringLiteral("segreto"));
    QVERIFY(prompt.close());
    QCOMPARE(prompt.result(), int(QDialog::Rejected));

    PasswordPrompt escaped(folder.services, nullptr, kPause);
    escaped.open();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
    QCOMPARE(escaped.result(), int(QDialog::Rejected));
    QCOMPARE(folder.messages.count(), 0);
}

void TestPasswordWindows::closingWithTheRightPasswordTypedLetsTheProgramGoOn() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    child<QLineEdit>(prompt, "Text1")->setText(QStringLiteral("Segreto"));
    QVERIFY(!prompt.close());  // held for the pause
    QVERIFY(!child<QLabel>(prompt, "Picture1")->isVisible());
    QTRY_VERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

void TestPasswordWindows::startupRunsThePromptOnlyWhenNeeded() {
    TempProgramFolder folder;
    // As first created: protection off, no password. Nothing is shown, so nothing blocks.
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));

    protect(folder, QStringLiteral("Segreto"));
    const auto answer = [](int delay, const QString& text) {
        QTimer::singleShot(delay, [text] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal && modal->objectName() == QStringLiteral("Password"));
            child<QLineEdit>(*modal, "Text1")->setText(text);
            child<QPushButton>(*modal, "Command1")->click();
        });
    };
    answer(0, QStringLiteral("Segreto"));
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));

    answer(0, QStringLiteral("uno"));
    answer(20, QStringLiteral("due"));
    QVERIFY(!runStartupPassword(folder.services, nullptr, kPause));
    QCOMPARE(folder.messages.texts(), QStringList{kRetry});

    // "/q" at start-up clears the password: no prompt although OnPassword is "1".
    QVERIFY(PasswordRules::applyResetSwitch(folder.settings, QStringLiteral("/q")));
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));
}

void TestPasswordWindows::changeWindowHintsWhenNoPasswordIsSet() {
    TempProgramFolder folder;
    {
        PasswordChangeWindow window(folder.services, nullptr, 10);
        QCOMPARE(window.objectName(), QStringLiteral("Form4"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cambia password di Raccolio 5.5 Pro"));
        window.open();
        QTRY_COMPARE(folder.messages.count(), 1);
        QCOMPARE(folder.messages.lastText(), kNoPassword);
        QCOMPARE(folder.messages.log().first().icon, MessageService::Icon::Information);
        QVERIFY(!child<QTimer>(window, "Timer1")->isActive());
    }
    folder.messages.clear();
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("abc"));
    PasswordChangeWindow window(folder.services);
    QCOMPARE(child<QTimer>(window, "Timer1")->interval(), 100);
    window.open();
    QTRY_VERIFY(!child<QTimer>(window, "Timer1")->isActive());
    QCOMPARE(folder.messages.count(), 0);
}

void TestPasswordWindows::changeWindowAnswers_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("confirmText");
    QTest::addColumn<QString>("message");  // empty: saved and closed
    QTest::addColumn<QString>("focus");    // the field given the focus after a refusal
    QTest::newRow("first password") << ""
                                    << ""
                                    << "Nuova"
                                    << "Nuova"
                                    << ""
                                    << "";
    QTest::newRow("old typed, none set") << ""
                                         << "x"
                                         << "Nuova"
                                         << "Nuova" << kNoPassword << "Text1";
    QTest::newRow("change") << "Vecchia"
                            << "Vecchia"
                            << "Nuova"
                            << "Nuova"
                            << ""
                            << "";
    QTest::newRow("clear") << "Vecchia"
                           << "Vecchia"
                           << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("wrong old") << "Vecchia"
                               << "vecchia"
                               << "Nuova"
                               << "Nuova" << kOldMismatch << "Text1";
    QTest::newRow("confirmation differs in case") << "Vecchia"
                                                  << "Vecchia"
                                                  << "Nuova"
                                                  << "nuova" << kVerify << "Text2";
}

void TestPasswordWindows::changeWindowAnswers() {
    QFETCH(QString, stored);
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, confirmText);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), stored);
    PasswordChangeWindow window(folder.services, nullptr, 0);
    window.open();
    QTRY_VERIFY(!child<QTimer>(window, "Timer1")->isActive());  // the hint has had its say
    folder.messages.clear();

    child<QLineEdit>(window, "Text1")->setText(oldText);
    child<QLineEdit>(window, "Text2")->setText(newText);
    child<QLineEdit>(window, "Text3")->setText(confirmText);
    QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);

    if (message.isEmpty()) {
        QCOMPARE(folder.messages.count(), 0);
        QVERIFY(!window.isVisible());
        QCOMPARE(folder.settings.read(QStringLiteral("Password")), newText);
    } else {
        QCOMPARE(folder.messages.texts(), QStringList{message});
        QVERIFY(window.isVisible());
        QCOMPARE(window.focusWidget(), child<QLineEdit>(window, qPrintable(focus)));
        QCOMPARE(folder.settings.read(QStringLiteral("Password")), stored);
    }
    QCOMPARE(folder.settings.read(QStringLiteral("OnPassword")), QStringLiteral("0"));
}

void TestPasswordWindows::changeWindowCancelWritesNothing() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Vecchia"));
    PasswordChangeWindow window(folder.services);
    window.open();
    child<QLineEdit>(window, "Text1")->setText(QStringLiteral("Vecchia"));
    auto* cancel = child<QPushButton>(window, "Command2");
    QCOMPARE(cancel->text(), QStringLiteral("&Annulla"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("Vecchia"));
}

void TestPasswordWindows::enterMovesToTheNextField() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Vecchia"));
    PasswordChangeWindow window(folder.services);
    window.open();
    auto* text1 = child<QLineEdit>(window, "Text1");
    text1->setFocus();
    QTest::keyClick(text1, Qt::Key_Return);
    QCOMPARE(window.focusWidget(), child<QLineEdit>(window, "Text2"));
    QTest::keyClick(window.focusWidget(), Qt::Key_Enter);
    QCOMPARE(window.focusWidget(), child<QLineEdit>(window, "Text3"));
    QTest::keyClick(window.focusWidget(), Qt::Key_Return);
    QCOMPARE(window.focusWidget(), child<QPushButton>(window, "Command1"));
    // Nothing was confirmed on the way.
    QVERIFY(window.isVisible());
    QCOMPARE(folder.messages.count(), 0);
}

QTEST_MAIN(TestPasswordWindows)
#include "tst_passwordwindows.moc"
