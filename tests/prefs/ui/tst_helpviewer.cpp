#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "TempProgramFolder.h"
#include "platform/ui/HelpViewer.h"

namespace {

void installHelp(TempProgramFolder& folder) {
    QFile source(QStringLiteral(RACCOLIO_DATA_DIR "/RACCOLIO.HLP"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    folder.writeFile(QStringLiteral("RACCOLIO.HLP"), source.readAll());
}

int viewerCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += (qobject_cast<HelpViewer*>(w) && w->isVisible()) ? 1 : 0;
    return n;
}

}  // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void threeHelpCommandsLandOnTheirTopics();
    void linksAndHistoryWork();
    void indexFollowsTypingAndOpensTopics();
    void keywordOfSeveralTopicsOpensTheIndex();
    void missingHelpFileIsReported();
};

void TestHelpViewer::threeHelpCommandsLandOnTheirTopics() {
    TempProgramFolder folder;
    installHelp(folder);
    QWidget mainWindow;

    showHelp(folder.services, &mainWindow, HelpRequest::contents());
    HelpViewer* viewer = HelpViewer::find(&mainWindow);
    QVERIFY(viewer);
    QCOMPARE(viewer->objectName(), QStringLiteral("HelpViewer"));
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->currentTopicId(), viewer->helpFile().contents().id);
    QVERIFY(!viewer->indexShown());
    QVERIFY(viewer->findChild<QTextBrowser*>(QStringLiteral("topicView"))
                ->toPlainText()
                .startsWith(QStringLiteral("Sommario della Guida")));

    showHelp(folder.services, &mainWindow, HelpRequest::index());
    QCOMPARE(HelpViewer::find(&mainWindow), viewer);  // the same window, brought forward
    QVERIFY(viewer->indexShown());
    QCOMPARE(viewer->findChild<QListWidget*>(QStringLiteral("keywordList"))->count(),
             viewer->helpFile().keywords().size());

    showHelp(folder.services, &mainWindow, HelpRequest::keyword(QStringLiteral("Supporto")));
    QCOMPARE(viewer->currentTopicId(), QStringLiteral("supporto"));
    QVERIFY(!viewer->indexShown());
    QCOMPARE(viewerCount(), 1);
    QCOMPARE(folder.messages.count(), 0);
    viewer->close();
}

void TestHelpViewer::linksAndHistoryWork() {
    TempProgramFolder folder;
    installHelp(folder);
    QWidget mainWindow;
    showHelp(folder.services, &mainWindow, HelpRequest::keyword(QStringLiteral("Supporto")));
    HelpViewer* viewer = HelpViewer::find(&mainWindow);
    QVERIFY(viewer);
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    auto* view = viewer->findChild<QTextBrowser*>(QStringLiteral("topicView"));
    const QString firstLink =
        HelpFile::links(*viewer->helpFile().find(QStringLiteral("supporto"))).first();

    // Tab to the first link and follow it with Enter, as a keyboard user does.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(viewer->currentTopicId(), firstLink);

    auto* back = viewer->findChild<QPushButton*>(QStringLiteral("backButton"));
    auto* forward = viewer->findChild<QPushButton*>(QStringLiteral("forwardButton"));
    QVERIFY(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(viewer->currentTopicId(), QStringLiteral("supporto"));
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(viewer->currentTopicId(), firstLink);

    QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("contentsButton")),
                      Qt::LeftButton);
    QCOMPARE(viewer->currentTopicId(), viewer->helpFile().contents().id);
    viewer->close();
}

void TestHelpViewer::indexFollowsTypingAndOpensTopics() {
    TempProgramFolder folder;
    installHelp(folder);
    QWidget mainWindow;
    showHelp(folder.services, &mainWindow, HelpRequest::index());
    HelpViewer* viewer = HelpViewer::find(&mainWindow);
    QVERIFY(viewer);
    auto* filter = viewer->findChild<QLineEdit*>(QStringLiteral("indexFilter"));
    auto* keywords = viewer->findChild<QListWidget*>(QStringLiteral("keywordList"));
    auto* found = viewer->findChild<QListWidget*>(QStringLiteral("foundList"));

    QTest::keyClicks(filter, QStringLiteral("info v"));
    QCOMPARE(keywords->currentItem()->text(), QStringLiteral("Info Versione"));
    QCOMPARE(found->count(), 1);
    QTest::mouseClick(viewer->findChild<QPushButton*>(QStringLiteral("showButton")),
                      Qt::LeftButton);
    QCOMPARE(viewer->currentTopicId(), QStringLiteral("info-versione"));

    filter->clear();
    QTest::keyClicks(filter, QStringLiteral("manutenzione p"));
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(viewer->currentTopicId(), QStringLiteral("manutenzione-password"));
    viewer->close();
}

void TestHelpViewer::keywordOfSeveralTopicsOpensTheIndex() {
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("RACCOLIO.HLP"),
                     "RACCOLIO-HELP 1\n@topic a\n@title A\n@keywords Supporto\n"
                     "@topic b\n@title B\n@keywords supporto\n");
    QWidget mainWindow;
    showHelp(folder.services, &mainWindow, HelpRequest::keyword(QStringLiteral("Supporto")));
    HelpViewer* viewer = HelpViewer::find(&mainWindow);
    QVERIFY(viewer);
    QVERIFY(viewer->indexShown());
    QCOMPARE(viewer->findChild<QLineEdit*>(QStringLiteral("indexFilter"))->text(),
             QStringLiteral("Supporto"));
    auto* found = viewer->findChild<QListWidget*>(QStringLiteral("foundList"));
    QCOMPARE(found->count(), 2);
    found->setCurrentRow(1);
    emit found->itemActivated(found->item(1));
    QCOMPARE(viewer->currentTopicId(), QStringLiteral("b"));
    viewer->close();
}

void TestHelpViewer::missingHelpFileIsReported() {
    TempProgramFolder folder;  // no RACCOLIO.HLP in its program folder
    QWidget mainWindow;
    showHelp(folder.services, &mainWindow, HelpRequest::contents());
    QVERIFY(!HelpViewer::find(&mainWindow));
    QCOMPARE(folder.messages.count(), 1);
    QCOMPARE(folder.messages.log().first().icon, MessageService::Icon::Critical);
    const QString text = folder.messages.lastText();
    QVERIFY2(text.startsWith(QStringLiteral("Impossibile trovare il file della guida in linea "
                                            "RACCOLIO.HLP nella cartella del programma")),
             qPrintable(text));
    QVERIFY(text.contains(folder.path()));

    folder.writeFile(QStringLiteral("RACCOLIO.HLP"), "non è una guida\n");
    showHelp(folder.services, &mainWindow, HelpRequest::index());
    QVERIFY(!HelpViewer::find(&mainWindow));
    QVERIFY(folder.messages.lastText().startsWith(
        QStringLiteral("Il file della guida RACCOLIO.HLP non è valido")));
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
