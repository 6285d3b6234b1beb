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

class TestPasswordWindows : public QObject {
    Q_OBJECT

private slots:
    void promptLooksAsDesigned();
    void rightPasswordShowsSuccessPictureThenCloses();
    void firstWrongEntryWarnsSecondEndsTheProgram();
    void caseAndTrailingBlankAreRefused();
    void rightEntryAfterOneWrongOpensTheProgram();
    void enterInTheFieldActsAsOk();
    void closingWithoutTheRightPasswordEndsTheProgram();
    void closingWithTheRightPasswordTypedLetsTheProgramGoOn();
    void startupAsksOnlyWhenSwitchedOnAndSet();
    void startupRunsThePromptModally();

    void changeWindowHintsWhenNoPasswordIsSet();
    void changeWindowSetsTheFirstPassword();
    void changeWindowRefusesAnOldPasswordWhenNoneIsSet();
    void changeWindowChecksTheOldPassword();
    void changeWindowClearsThePassword();
    void changeWindowRefusesAConfirmationDifferingInCase();
    void changeWindowCancelWritesNothing();
    void enterMovesToTheNextField();
};

void TestPasswordWindows::promptLooksAsDesigned() {
    TempProgramFolder folder;
    PasswordPrompt prompt(folder.services);
    QCOMPARE(prompt.objectName(), QStringLiteral("Password"));
    QCOMPARE(child<QLabel>(prompt, "SSPanel2")->text(), QStringLiteral("Password di Raccolio 5.5 Pro"));
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

void TestPasswordWindows::firstWrongEntryWarnsSecondEndsTheProgram() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();

    enter(prompt, QStringLiteral("sbagliata"));
    QCOMPARE(folder.messages.texts(), QStringList{kRetry});
    QCOMPARE(folder.messages.log().first().icon, MessageService::Icon::Information);
    QVERIFY(prompt.isVisible());
    QVERIFY(folder.state.passwordRetried);
    QCOMPARE(child<QLineEdit>(prompt, "Text1")->text(), QStringLiteral("sbagliata"));

    enter(prompt, QStringLiteral("ancora sbagliata"));
    QVERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Rejected));
    QCOMPARE(folder.messages.count(), 1);  // the end comes without a message
}

void TestPasswordWindows::caseAndTrailingBlankAreRefused() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    enter(prompt, QStringLiteral("segreto"));
    QCOMPARE(folder.messages.texts(), QStringList{kRetry});
    enter(prompt, QStringLiteral("Segreto "));
    QCOMPARE(prompt.result(), int(QDialog::Rejected));
    QVERIFY(!prompt.isVisible());
}

void TestPasswordWindows::rightEntryAfterOneWrongOpensTheProgram() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    enter(prompt, QStringLiteral("x"));
    enter(prompt, QStringLiteral("Segreto"));
    QTRY_VERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

void TestPasswordWindows::enterInTheFieldActsAsOk() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    auto* field = child<QLineEdit>(prompt, "Text1");
    QTest::keyClicks(field, QStringLiteral("no"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(folder.messages.texts(), QStringList{kRetry});
    field->clear();
    QTest::keyClicks(field, QStringLiteral("Segreto"));
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
}

void TestPasswordWindows::closingWithoutTheRightPasswordEndsTheProgram() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    PasswordPrompt prompt(folder.services, nullptr, kPause);
    prompt.open();
    child<QLineEdit>(prompt, "Text1")->setText(QStringLiteral("segreto"));
    QVERIFY(prompt.close());
    QCOMPARE(prompt.result(), int(QDialog::Rejected));
    QCOMPARE(folder.messages.count(), 0);

    PasswordPrompt escaped(folder.services, nullptr, kPause);
    escaped.open();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
    QCOMPARE(escaped.result(), int(QDialog::Rejected));
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

void TestPasswordWindows::startupAsksOnlyWhenSwitchedOnAndSet() {
    TempProgramFolder folder;
    // Defaults: protection off, no password. Nothing is shown, so nothing can block.
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));
    folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));
    folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("0"));
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Segreto"));
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));
    // "/q" at start-up clears the password: no prompt, whatever OnPassword holds.
    folder.settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
    QVERIFY(PasswordRules::applyResetSwitch(folder.settings, QStringLiteral("/q")));
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));
    QCOMPARE(folder.messages.count(), 0);
}

void TestPasswordWindows::startupRunsThePromptModally() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Segreto"));
    const auto answer = [](const QString& text) {
        QTimer::singleShot(0, [text] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal && modal->objectName() == QStringLiteral("Password"));
            child<QLineEdit>(*modal, "Text1")->setText(text);
            child<QPushButton>(*modal, "Command1")->click();
        });
    };
    answer(QStringLiteral("Segreto"));
    QVERIFY(runStartupPassword(folder.services, nullptr, kPause));

    // Two wrong entries: the program must end.
    answer(QStringLiteral("uno"));
    QTimer::singleShot(20, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            child<QLineEdit>(*modal, "Text1")->setText(QStringLiteral("due"));
            child<QPushButton>(*modal, "Command1")->click();
        }
    });
    QVERIFY(!runStartupPassword(folder.services, nullptr, kPause));
    QCOMPARE(folder.messages.texts(), QStringList{kRetry});
}

void TestPasswordWindows::changeWindowHintsWhenNoPasswordIsSet() {
    TempProgramFolder folder;
    {
        PasswordChangeWindow window(folder.services, nullptr, 10);
        QCOMPARE(window.objectName(), QStringLiteral("Form4"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cambia password di Raccolio 5.5 Pro"));
        QCOMPARE(child<QTimer>(window, "Timer1")->interval(), 10);
        window.open();
        QTRY_COMPARE(folder.messages.count(), 1);
        QCOMPARE(folder.messages.lastText(), kNoPassword);
        QCOMPARE(folder.messages.log().first().icon, MessageService::Icon::Information);
        QVERIFY(!child<QTimer>(window, "Timer1")->isActive());
    }
    folder.messages.clear();
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("abc"));
    PasswordChangeWindow window(folder.services, nullptr, 10);
    window.open();
    QTRY_VERIFY(!child<QTimer>(window, "Timer1")->isActive());
    QCOMPARE(folder.messages.count(), 0);
    QCOMPARE(PasswordChangeWindow(folder.services).findChild<QTimer*>("Timer1")->interval(), 100);
}

namespace {

struct ChangeForm {
    explicit ChangeForm(TempProgramFolder& folder) : window(folder.services, nullptr, 0) {
        window.open();
        QTest::qWait(5);  // let the hint timer have its say
    }
    void fill(const QString& oldText, const QString& newText, const QString& confirmText) {
        child<QLineEdit>(window, "Text1")->setText(oldText);
        child<QLineEdit>(window, "Text2")->setText(newText);
        child<QLineEdit>(window, "Text3")->setText(confirmText);
        QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
    }
    PasswordChangeWindow window;
};

}  // namespace

void TestPasswordWindows::changeWindowSetsTheFirstPassword() {
    TempProgramFolder folder;
    ChangeForm form(folder);
    folder.messages.clear();
    form.fill({}, QStringLiteral("Nuova"), QStringLiteral("Nuova"));
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("Nuova"));
    QVERIFY(!form.window.isVisible());
    QCOMPARE(form.window.result(), int(QDialog::Accepted));
    QCOMPARE(folder.messages.count(), 0);
    QCOMPARE(folder.settings.read(QStringLiteral("OnPassword")), QStringLiteral("0"));
}

void TestPasswordWindows::changeWindowRefusesAnOldPasswordWhenNoneIsSet() {
    TempProgramFolder folder;
    ChangeForm form(folder);
    folder.messages.clear();
    form.fill(QStringLiteral("x"), QStringLiteral("Nuova"), QStringLiteral("Nuova"));
    QCOMPARE(folder.messages.texts(), QStringList{kNoPassword});
    QVERIFY(form.window.isVisible());
    QCOMPARE(form.window.focusWidget(), child<QLineEdit>(form.window, "Text1"));
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QString());
}

void TestPasswordWindows::changeWindowChecksTheOldPassword() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Vecchia"));
    ChangeForm form(folder);
    form.fill(QStringLiteral("vecchia"), QStringLiteral("Nuova"), QStringLiteral("Nuova"));
    QCOMPARE(folder.messages.texts(), QStringList{kOldMismatch});
    QCOMPARE(form.window.focusWidget(), child<QLineEdit>(form.window, "Text1"));
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("Vecchia"));
    QVERIFY(form.window.isVisible());

    form.fill(QStringLiteral("Vecchia"), QStringLiteral("Nuova"), QStringLiteral("Nuova"));
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("Nuova"));
    QVERIFY(!form.window.isVisible());
}

void TestPasswordWindows::changeWindowClearsThePassword() {
    TempProgramFolder folder;
    protect(folder, QStringLiteral("Vecchia"));
    ChangeForm form(folder);
    form.fill(QStringLiteral("Vecchia"), {}, {});
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QString());
    QVERIFY(!form.window.isVisible());
    // An empty password turns the prompt off.
    QVERIFY(!PasswordRules::promptNeeded(folder.settings));
}

void TestPasswordWindows::changeWindowRefusesAConfirmationDifferingInCase() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Vecchia"));
    ChangeForm form(folder);
    form.fill(QStringLiteral("Vecchia"), QStringLiteral("Nuova"), QStringLiteral("nuova"));
    QCOMPARE(folder.messages.texts(), QStringList{kVerify});
    QCOMPARE(form.window.focusWidget(), child<QLineEdit>(form.window, "Text2"));
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("Vecchia"));
    QVERIFY(form.window.isVisible());
}

void TestPasswordWindows::changeWindowCancelWritesNothing() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Vecchia"));
    ChangeForm form(folder);
    child<QLineEdit>(form.window, "Text1")->setText(QStringLiteral("Vecchia"));
    auto* cancel = child<QPushButton>(form.window, "Command2");
    QCOMPARE(cancel->text(), QStringLiteral("&Annulla"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!form.window.isVisible());
    QCOMPARE(form.window.result(), int(QDialog::Rejected));
    QCOMPARE(folder.settings.read(QStringLiteral("Password")), QStringLiteral("Vecchia"));
}

void TestPasswordWindows::enterMovesToTheNextField() {
    TempProgramFolder folder;
    folder.settings.write(QStringLiteral("Password"), QStringLiteral("Vecchia"));
    ChangeForm form(folder);
    auto* text1 = child<QLineEdit>(form.window, "Text1");
    text1->setFocus();
    QTest::keyClick(text1, Qt::Key_Return);
    QCOMPARE(form.window.focusWidget(), child<QLineEdit>(form.window, "Text2"));
    QTest::keyClick(form.window.focusWidget(), Qt::Key_Enter);
    QCOMPARE(form.window.focusWidget(), child<QLineEdit>(form.window, "Text3"));
    QTest::keyClick(form.window.focusWidget(), Qt::Key_Return);
    QCOMPARE(form.window.focusWidget(), child<QPushButton>(form.window, "Command1"));
    // Nothing was confirmed on the way.
    QVERIFY(form.window.isVisible());
    QCOMPARE(folder.messages.count(), 0);
}

QTEST_MAIN(TestPasswordWindows)
#include "tst_passwordwindows.moc"
