#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "registers/ui/KeywordListWindow.h"
#include "registers/ui/LookupListWindow.h"
#include "search/ui/SearchPromptDriver.h"
#include "test_support/MainWindowFixture.h"

using Choice = SearchPromptDriver::Choice;

// Chiavi over the real main window, and Keylist on its own, on a new catalogue: GEN2
// starts with Backup, Documenti, Giochi, Multimedia, Programmi; FORMATO with Brossura,
// Cartonato, Edizione tascabile, Rilegato, Volume illustrato; CHIAVE with six words.
class TestWordListWindows : public QObject, MainWindowTest {
    Q_OBJECT

    WordListWindow* editor = nullptr;

    // Opens Chiavi on a list as a combo of the main window does.
    LookupListWindow* openList(const QString& table) {
        auto* w = new LookupListWindow(*window, folder->services, table, window.get());
        editor = w;
        w->show();
        return w;
    }
    template <typename T>
    T* control(const char* name) const {
        T* found = editor->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QString counter() const {
        return QStringLiteral("%1 di %2")
            .arg(control<QLabel>("Label3")->text(), control<QLabel>("Label4")->text());
    }
    QString word() const { return control<QLineEdit>("Text1")->text(); }
    void press(const char* name) {
        auto* b = editor->findChild<QAbstractButton*>(QString::fromLatin1(name));
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void ok() { control<QAction>("memOK")->trigger(); }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{1, 1, 1, 1});
        window = startMainWindow(*folder);
    }
    void cleanup() { closeAll(); }

    // Each button reaches the editor; its rules are tested without the window.
    void buttonsDriveTheEditor() {
        openList(QStringLiteral("GEN2"));
        QVERIFY(editor->width() >= editor->minimumSizeHint().width());
        press("Command7");  // print does nothing
        press("Command5");
        press("Command5");
        QCOMPARE(word(), QStringLiteral("Giochi"));
        press("Command2");
        QCOMPARE(counter(), QStringLiteral("1 di 4"));
        press("Command6");
        folder->input.queueText(QStringLiteral("Audio"));
        press("Command1");
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
        // The word can be corrected in place; it is stored on the next move.
        auto* text = control<QLineEdit>("Text1");
        text->selectAll();
        QTest::keyClicks(text, QStringLiteral("Audiolibri"));
        press("Command3");
        QVERIFY(folder->column("GEN2", "GENERE").contains(QStringLiteral("Audiolibri")));
        QCOMPARE(folder->messages.count(), 0);
    }

    void findsThroughThePromptAndGoesOnFromTheCurrentWord() {
        openList(QStringLiteral("GEN2"));
        QVERIFY(QTest::qWaitForWindowActive(editor));
        SearchPromptDriver::confirm(QStringLiteral("ro"), Choice::FromStart);
        press("SSCommand1");
        QCOMPARE(word(), QStringLiteral("Programmi"));
        QCOMPARE(folder->state.searchText, QStringLiteral("ro"));

        press("Command3");
        SearchPromptDriver::confirm(QStringLiteral("i"), Choice::Onward);
        press("SSCommand1");
        QCOMPARE(word(), QStringLiteral("Documenti"));
        // The activation coming back once the prompt is gone reloads nothing, so
        // "Successivo" goes on from the current word.
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QCOMPARE(word(), QStringLiteral("Documenti"));
        SearchPromptDriver::confirm(QStringLiteral("i"));
        press("SSCommand1");
        QCOMPARE(word(), QStringLiteral("Giochi"));

        // Cancelling the prompt finds nothing, not even with the old text.
        press("Command3");
        SearchPromptDriver::cancel();
        press("SSCommand1");
        QCOMPARE(word(), QStringLiteral("Backup"));
        QCOMPARE(folder->messages.count(), 0);
    }

    void followsTheListNamedWhenActivatedAgain() {
        openList(QStringLiteral("GEN2"));
        QVERIFY(QTest::qWaitForWindowActive(editor));
        // Another combo names another list while the editor stays open.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        static_cast<LookupListWindow*>(editor)->setListName(QStringLiteral("FORMATO"));
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QTRY_COMPARE(word(), QStringLiteral("Brossura"));
    }

    void okRefreshesTheMainWindowsCombos() {
        auto* genres = MainWindowTest::control<QComboBox>("DBCombo9");
        QCOMPARE(genres->findText(QStringLiteral("Emulatori")), -1);
        openList(QStringLiteral("GEN2"));
        folder->input.queueText(QStringLiteral("Emulatori"));
        press("Command1");
        // Closing without "&OK" keeps the word but leaves the combos as they were.
        editor->close();
        QCOMPARE(genres->findText(QStringLiteral("Emulatori")), -1);
        delete editor;

        openList(QStringLiteral("GEN2"));
        auto* text = control<QLineEdit>("Text1");
        text->selectAll();
        QTest::keyClicks(text, QStringLiteral("Archivi"));
        ok();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QVERIFY(genres->findText(QStringLiteral("Emulatori")) >= 0);
        QVERIFY(genres->findText(QStringLiteral("Archivi")) >= 0);
        QCOMPARE(genres->findText(QStringLiteral("Backup")), -1);
    }

    void anUnknownListIsAnError() {
        openList(QStringLiteral("AUTORI"));
        QCOMPARE(folder->messages.count(), 1);
        QVERIFY(word().isEmpty());
    }

    void keywordListSetsItselfUp() {
        int refreshed = 0;
        KeywordListWindow keys(folder->services, [&] { ++refreshed; });
        editor = &keys;
        keys.show();
        // The table's own order, not the alphabet.
        QTRY_COMPARE(counter(), QStringLiteral("1 di 6"));
        QCOMPARE(word(), QStringLiteral("Classico"));
        ok();
        QCOMPARE(refreshed, 1);
        QVERIFY(!keys.isVisible());
    }
};

QTEST_MAIN(TestWordListWindows)
#include "tst_wordlistwindows.moc"
