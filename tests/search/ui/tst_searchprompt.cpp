#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "TempProgramFolder.h"
#include "search/ui/SearchPrompt.h"
#include "search/ui/SearchPromptDriver.h"

using Choice = SearchPromptDriver::Choice;

class TestSearchPrompt : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<QWidget> owner;  // stands for the main window
    QWidget* caller = nullptr;       // a window of the owner that asks

    template <typename T>
    static T* child(QWidget& w, const char* name) {
        T* found = w.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>();
        owner = std::make_unique<QWidget>();
        caller = new QWidget(owner.get(), Qt::Dialog);
        owner->show();
        caller->show();
    }
    void cleanup() {
        owner.reset();
        QCOMPARE(folder->messages.count(), 0);
        folder.reset();
    }

    void looksAsDesigned() {
        SearchPrompt prompt(folder->services);
        QCOMPARE(prompt.objectName(), QStringLiteral("Serch"));
        QCOMPARE(prompt.windowTitle(), QStringLiteral("Trova..."));
        QCOMPARE(child<QLabel>(prompt, "lblLabels")->text(),
                 QStringLiteral("Parola o frase da trovare:"));
        auto* start = child<QRadioButton>(prompt, "SSOption1");
        auto* onward = child<QRadioButton>(prompt, "SSOption2");
        QCOMPARE(start->text(), QStringLiteral("Inizio"));
        QCOMPARE(onward->text(), QStringLiteral("Successivo"));
        QVERIFY(onward->isChecked());
        auto* ok = child<QPushButton>(prompt, "cmdOK");
        QCOMPARE(ok->text(), QStringLiteral("&OK"));
        QCOMPARE(child<QPushButton>(prompt, "cmdCancel")->text(), QStringLiteral("&Annulla"));
        QVERIFY(!ok->isEnabled());
        auto* text = child<QLineEdit>(prompt, "txtExpression");
        QTest::keyClicks(text, QStringLiteral("r"));
        QVERIFY(ok->isEnabled());
        QTest::keyClick(text, Qt::Key_Backspace);
        QVERIFY(!ok->isEnabled());
        // Nothing is cut off.
        prompt.show();
        for (QPushButton* b : prompt.findChildren<QPushButton*>())
            QVERIFY(b->width() >= b->sizeHint().width());
        QVERIFY(prompt.width() >= prompt.sizeHint().width());
    }

    void okKeepsTheTextAndTheChoiceForNextTime() {
        SearchPromptDriver::confirm(QStringLiteral("rosso"), Choice::FromStart);
        QCOMPARE(askSearchText(folder->services, caller), std::optional<bool>(true));
        QCOMPARE(folder->state.searchText, QStringLiteral("rosso"));
        // Hidden, not gone: the next showing has the same text and choice.
        auto* kept = owner->findChild<SearchPrompt*>(QStringLiteral("Serch"));
        QVERIFY(kept);
        QVERIFY(!kept->isVisible());
        QString shownText;
        bool shownFromStart = false;
        SearchPromptDriver::whenShown([&](SearchPrompt& p) {
            shownText = p.text();
            shownFromStart = p.fromStart();
            child<QRadioButton>(p, "SSOption2")->setChecked(true);
            QTest::mouseClick(child<QPushButton>(p, "cmdOK"), Qt::LeftButton);
        });
        QCOMPARE(askSearchText(folder->services, caller), std::optional<bool>(false));
        QCOMPARE(shownText, QStringLiteral("rosso"));
        QVERIFY(shownFromStart);
        QCOMPARE(owner->findChildren<SearchPrompt*>().size(), 1);
    }

    void enterInTheTextActsAsOkOnlyWithAText() {
        bool stayedOpen = false;
        SearchPromptDriver::whenShown([&](SearchPrompt& p) {
            auto* text = child<QLineEdit>(p, "txtExpression");
            QTest::keyClick(text, Qt::Key_Return);
            stayedOpen = p.isVisible();
            QTest::keyClicks(text, QStringLiteral("blu"));
            QTest::keyClick(text, Qt::Key_Return);
        });
        QCOMPARE(askSearchText(folder->services, caller), std::optional<bool>(false));
        QVERIFY(stayedOpen);
        QCOMPARE(folder->state.searchText, QStringLiteral("blu"));
    }

    void cancelEndsTheFindAndForgetsThePrompt() {
        SearchPromptDriver::confirm(QStringLiteral("verde"), Choice::FromStart);
        QVERIFY(askSearchText(folder->services, caller));
        SearchPromptDriver::whenShown([](SearchPrompt& p) {
            child<QLineEdit>(p, "txtExpression")->setText(QStringLiteral("giallo"));
            QTest::mouseClick(child<QPushButton>(p, "cmdCancel"), Qt::LeftButton);
        });
        QCOMPARE(askSearchText(folder->services, caller), std::nullopt);
        QCOMPARE(folder->state.searchText, QStringLiteral("verde"));
        QVERIFY(!owner->findChild<SearchPrompt*>());
        // The next prompt starts empty with "Successivo"; Escape cancels as well.
        QString shownText = QStringLiteral("?");
        bool shownFromStart = true;
        SearchPromptDriver::whenShown([&](SearchPrompt& p) {
            shownText = p.text();
            shownFromStart = p.fromStart();
            QTest::keyClick(&p, Qt::Key_Escape);
        });
        QCOMPARE(askSearchText(folder->services, caller), std::nullopt);
        QVERIFY(shownText.isEmpty());
        QVERIFY(!shownFromStart);
        // So does closing the window.
        SearchPromptDriver::whenShown([](SearchPrompt& p) { p.close(); });
        QCOMPARE(askSearchText(folder->services, caller), std::nullopt);
    }
};

QTEST_MAIN(TestSearchPrompt)
#include "tst_searchprompt.moc"
