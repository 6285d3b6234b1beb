#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <optional>

#include "platform/ui/HelpViewer.h"
#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"

// Which command opens which topic is the main window's test; here what the viewer shows.
class TestHelpViewer : public QObject {
    Q_OBJECT

    std::optional<TempProgramFolder> folder_;
    std::optional<QWidget> mainWindow_;

    void installShippedHelp() {
        QFile source(QStringLiteral(RACCOLIO_DATA_DIR "/RACCOLIO.HLP"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        folder_->writeFile("RACCOLIO.HLP", source.readAll());
    }
    HelpViewer* open(const HelpRequest& request) {
        showHelp(folder_->services, &*mainWindow_, request);
        return HelpViewer::find(&*mainWindow_);
    }

private slots:
    void init() {
        folder_.emplace();
        mainWindow_.emplace();
    }
    void cleanup() {
        mainWindow_.reset();  // takes its viewer with it
        folder_.reset();
    }

    void oneViewerShowsTopicsAndAnIndexThatFollowsTyping() {
        installShippedHelp();
        HelpViewer* viewer = open(HelpRequest::contents());
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(child<QTextBrowser>(*viewer, "topicView")
                    ->toPlainText()
                    .startsWith(viewer->helpFile().contents().title));

        QCOMPARE(open(HelpRequest::index()), viewer);  // the same window, brought forward
        QCOMPARE(child<QListWidget>(*viewer, "keywordList")->count(),
                 viewer->helpFile().keywords().size());

        // The index follows typing and opens topics.
        auto* filter = child<QLineEdit>(*viewer, "indexFilter");
        QTest::keyClicks(filter, QStringLiteral("info v"));
        QCOMPARE(child<QListWidget>(*viewer, "keywordList")->currentItem()->text(),
                 QStringLiteral("Info Versione"));
        QCOMPARE(child<QListWidget>(*viewer, "foundList")->count(), 1);
        QTest::mouseClick(child<QPushButton>(*viewer, "showButton"), Qt::LeftButton);
        QCOMPARE(viewer->currentTopicId(), QStringLiteral("info-versione"));

        filter->clear();
        QTest::keyClicks(filter, QStringLiteral("manutenzione p"));
        QTest::keyClick(filter, Qt::Key_Return);
        QCOMPARE(viewer->currentTopicId(), QStringLiteral("manutenzione-password"));
    }

    void linksAndHistoryWork() {
        installShippedHelp();
        HelpViewer* viewer = open(HelpRequest::keyword(QStringLiteral("Supporto")));
        QVERIFY(viewer);
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        auto* view = child<QTextBrowser>(*viewer, "topicView");
        const QString firstLink =
            HelpFile::links(*viewer->helpFile().find(QStringLiteral("supporto"))).first();

        // Tab to the first link and follow it with Enter, as a keyboard user does.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Tab);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(viewer->currentTopicId(), firstLink);
        // The topic list follows the page, and one click on it shows a topic.
        child<QTabWidget>(*viewer, "helpTabs")->setCurrentIndex(0);
        auto* topics = child<QListWidget>(*viewer, "topicList");
        const auto listed = [&] { return topics->currentItem()->text(); };
        QCOMPARE(listed(), viewer->helpFile().find(firstLink)->title);
        QListWidgetItem* other = topics->item(topics->currentRow() == 0 ? 1 : 0);
        QTest::mouseClick(topics->viewport(), Qt::LeftButton, {},
                          topics->visualItemRect(other).center());
        QCOMPARE(listed(), other->text());
        QCOMPARE(viewer->helpFile().find(viewer->currentTopicId())->title, other->text());
        QTest::mouseClick(child<QPushButton>(*viewer, "backButton"), Qt::LeftButton);
        QCOMPARE(viewer->currentTopicId(), firstLink);
        QCOMPARE(listed(), viewer->helpFile().find(firstLink)->title);

        auto* back = child<QPushButton>(*viewer, "backButton");
        auto* forward = child<QPushButton>(*viewer, "forwardButton");
        QVERIFY(back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(viewer->currentTopicId(), QStringLiteral("supporto"));
        QVERIFY(forward->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(viewer->currentTopicId(), firstLink);

        QTest::mouseClick(child<QPushButton>(*viewer, "contentsButton"), Qt::LeftButton);
        QCOMPARE(viewer->currentTopicId(), viewer->helpFile().contents().id);
    }

    void keywordOfSeveralTopicsOpensTheIndex() {
        folder_->writeFile("RACCOLIO.HLP",
                           "RACCOLIO-HELP 1\n@topic a\n@title A\n@keywords Supporto\n"
                           "@topic b\n@title B\n@keywords supporto\n");
        HelpViewer* viewer = open(HelpRequest::keyword(QStringLiteral("Supporto")));
        QVERIFY(viewer && viewer->indexShown());
        QCOMPARE(child<QLineEdit>(*viewer, "indexFilter")->text(), QStringLiteral("Supporto"));
        auto* found = child<QListWidget>(*viewer, "foundList");
        QCOMPARE(found->count(), 2);
        found->setCurrentRow(1);
        emit found->itemActivated(found->item(1));
        QCOMPARE(viewer->currentTopicId(), QStringLiteral("b"));
    }

    void unreadableHelpFileIsReported() {
        QVERIFY(!open(HelpRequest::contents()));  // no RACCOLIO.HLP in the program folder
        QVERIFY(folder_->messages.lastText().contains(folder_->path()));  // says where it looked

        folder_->writeFile("RACCOLIO.HLP", "non è una guida\n");
        QVERIFY(!open(HelpRequest::index()));
        QCOMPARE(folder_->messages.count(), 2);
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Critical);
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
