#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>
#include <utility>

#include "prefs/PasswordRules.h"
#include "prefs/ui/PasswordChangeWindow.h"
#include "prefs/ui/PasswordPrompt.h"
#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"

namespace {

constexpr int kPause = 40;

// Types into a window's Text1 and presses its Command1.
void enter(QWidget& window, const QString& text) {
    child<QLineEdit>(window, "Text1")->setText(text);
    QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
}

}  // namespace

// The rules' edge cases are in tst_passwordrules; here what only the windows show:
// pictures, pauses, messages, focus, how they close.
class TestPasswordWindows : public QObject {
    Q_OBJECT

    std::optional<TempProgramFolder> folder_;  // protected by "Segreto" for each test
    QString stored() const { return folder_->settings.read(QStringLiteral("Password")); }
    int shown() const { return folder_->messages.count(); }

private slots:
    void init() {
        folder_.emplace();
        folder_->settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
        folder_->settings.write(QStringLiteral("Password"), QStringLiteral("Segreto"));
    }
    void cleanup() { folder_.reset(); }

    void rightPasswordShowsSuccessPictureThenCloses() {
        PasswordPrompt prompt(folder_->services, nullptr, kPause);
        prompt.open();
        auto* picture = child<QLabel>(prompt, "Picture1");
        const QImage success = child<QLabel>(prompt, "Picture2")->pixmap().toImage();
        QVERIFY(picture->pixmap().toImage() != success);

        // Enter in the field answers as OK does.
        auto* field = child<QLineEdit>(prompt, "Text1");
        QTest::keyClicks(field, QStringLiteral("Segreto"));
        QTest::keyClick(field, Qt::Key_Return);
        // First pause: the key returns at once (the window keeps painting), showing the
        // success picture with the window still up.
        QCOMPARE(picture->pixmap().toImage(), success);
        QVERIFY(prompt.isVisible());
        // Second pause: the picture area empties and the prompt closes (a loaded machine
        // may run both pauses between two looks, so their order is not checked here).
        QTRY_VERIFY(!prompt.isVisible());
        QVERIFY(!picture->isVisible());
        QCOMPARE(prompt.result(), int(QDialog::Accepted));
        QCOMPARE(shown(), 0);
    }

    // That a right entry after a wrong one still opens is the rules' case.
    void aWrongEntryWarnsAndASecondOneEndsTheProgram() {
        PasswordPrompt prompt(folder_->services, nullptr, kPause);
        prompt.open();
        enter(prompt, QStringLiteral("segreto"));
        QCOMPARE(folder_->messages.texts(), QStringList{PasswordRules::retryWarning()});
        QVERIFY(prompt.isVisible());
        QCOMPARE(child<QLineEdit>(prompt, "Text1")->text(), QStringLiteral("segreto"));  // as typed
        enter(prompt, QStringLiteral("due"));
        QVERIFY(!prompt.isVisible());
        QCOMPARE(prompt.result(), int(QDialog::Rejected));
        QCOMPARE(shown(), 1);  // the end comes without a message
    }

    // Closing with the right password typed is held for the pause, and accepts.
    void closingWithTheRightPasswordAccepts() {
        PasswordPrompt right(folder_->services, nullptr, kPause);
        right.open();
        child<QLineEdit>(right, "Text1")->setText(QStringLiteral("Segreto"));
        QVERIFY(!right.close());
        QTRY_VERIFY(!right.isVisible());
        QCOMPARE(right.result(), int(QDialog::Accepted));
    }

    void startupRunsThePromptOnlyWhenNeeded() {
        QTimer::singleShot(0, [] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal && modal->objectName() == QStringLiteral("Password"));
            enter(*modal, QStringLiteral("Segreto"));
        });
        QVERIFY(runStartupPassword(folder_->services, nullptr, kPause));

        // Protection off: nothing is shown, so nothing blocks.
        folder_->settings.write(QStringLiteral("OnPassword"), QStringLiteral("0"));
        QVERIFY(runStartupPassword(folder_->services, nullptr, kPause));
    }

    void changeWindowHintsOnlyWhenNoPasswordIsSet() {
        {
            PasswordChangeWindow window(folder_->services, nullptr, 10);
            window.open();
            QTRY_VERIFY(!child<QTimer>(window, "Timer1")->isActive());
            QCOMPARE(shown(), 0);
        }
        folder_->settings.write(QStringLiteral("Password"), QString());
        PasswordChangeWindow window(folder_->services, nullptr, 10);
        window.open();
        QTRY_COMPARE(folder_->messages.texts(), QStringList{PasswordRules::noPasswordYetHint()});
    }

    void changeWindowRefusesThenSaves() {
        PasswordChangeWindow window(folder_->services, nullptr, 0);
        window.open();
        child<QLineEdit>(window, "Text2")->setText(QStringLiteral("Nuova"));
        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("nuova"));

        // Each refusal names its reason and puts the focus where the fault is.
        enter(window, QStringLiteral("segreto"));
        QCOMPARE(folder_->messages.lastText(), PasswordRules::oldMismatchWarning());
        QCOMPARE(window.focusWidget(), child<QLineEdit>(window, "Text1"));
        enter(window, QStringLiteral("Segreto"));
        QCOMPARE(folder_->messages.lastText(), PasswordRules::confirmMismatchWarning());
        QCOMPARE(window.focusWidget(), child<QLineEdit>(window, "Text2"));
        QCOMPARE(stored(), QStringLiteral("Segreto"));

        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("Nuova"));
        enter(window, QStringLiteral("Segreto"));
        QVERIFY(!window.isVisible());
        QCOMPARE(stored(), QStringLiteral("Nuova"));
    }

    // Enter moves to the next field and confirms nothing; cancel writes nothing.
    void enterMovesToTheNextFieldAndCancelWritesNothing() {
        PasswordChangeWindow window(folder_->services);
        window.open();
        for (const char* name : {"Text1", "Text2", "Text3"})
            child<QLineEdit>(window, name)->setText(QStringLiteral("Nuova"));
        child<QLineEdit>(window, "Text1")->setFocus();
        const std::pair<Qt::Key, const char*> steps[] = {
            {Qt::Key_Return, "Text2"}, {Qt::Key_Enter, "Text3"}, {Qt::Key_Return, "Command1"}};
        for (const auto& [key, next] : steps) {
            QTest::keyClick(window.focusWidget(), key);
            QCOMPARE(window.focusWidget()->objectName(), QString::fromLatin1(next));
        }
        QCOMPARE(shown(), 0);
        QTest::mouseClick(child<QPushButton>(window, "Command2"), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(stored(), QStringLiteral("Segreto"));
    }
};

QTEST_MAIN(TestPasswordWindows)
#include "tst_passwordwindows.moc"
