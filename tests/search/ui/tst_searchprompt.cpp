#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"
#include "search/ui/SearchPrompt.h"
#include "search/ui/SearchPromptDriver.h"

using Choice = SearchPromptDriver::Choice;

class TestSearchPrompt : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<QWidget> owner;  // stands for the main window
    QWidget* caller = nullptr;       // a window of the owner that asks

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

    void okAndEnterNeedATextAndNothingIsCutOff() {
        bool emptyRefused = false;
        SearchPromptDriver::whenShown([&](SearchPrompt& p) {
            for (QPushButton* b : p.findChildren<QPushButton*>())
                QVERIFY(b->width() >= b->sizeHint().width());
            QVERIFY(p.width() >= p.sizeHint().width());
            auto* ok = child<QPushButton>(p, "cmdOK");
            auto* text = child<QLineEdit>(p, "txtExpression");
            QTest::keyClick(text, Qt::Key_Return);
            emptyRefused = p.isVisible() && !ok->isEnabled();
            QTest::keyClicks(text, QStringLiteral("blu"));
            QVERIFY(ok->isEnabled());
            QTest::keyClick(text, Qt::Key_Return);
        });
        QCOMPARE(askSearchText(folder->services, caller), std::optional<bool>(false));
        QVERIFY(emptyRefused);
        QCOMPARE(folder->state.searchText, QStringLiteral("blu"));
    }

    void okKeepsTheTextAndTheChoiceForNextTime() {
        SearchPromptDriver::confirm(QStringLiteral("rosso"), Choice::FromStart);
        QCOMPARE(askSearchText(folder->services, caller), std::optional<bool>(true));
        QCOMPARE(folder->state.searchText, QStringLiteral("rosso"));
        // Hidden, not gone: the next showing has the same text and choice.
        QVERIFY(!child<SearchPrompt>(*owner, "Serch")->isVisible());
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
