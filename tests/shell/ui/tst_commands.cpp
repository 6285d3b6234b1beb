#include <QTest>

#include "platform/ui/HelpViewer.h"
#include "test_support/MainWindowFixture.h"

// The commands of the bar reach the windows of the running program.
class TestCommands : public QObject, MainWindowTest {
    Q_OBJECT

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{2, 2, 2, 2});
        QFile::copy(QStringLiteral(RACCOLIO_DATA_DIR "/RACCOLIO.HLP"),
                    folder->file("RACCOLIO.HLP"));
        window = startProgram(*folder);
    }
    void cleanup() { closeAll(); }

    void modalWindowsOfTheBar() {
        // ID_InfoSistema is inert.
        for (const auto& [id, name] : {std::pair{"ID_Configurazione", "Form3"},
                                       {"ID_ManutenzionePassword", "Form4"},
                                       {"ID_InfoVersione", "about"},
                                       {"ID_InfoSistema", ""}})
            QCOMPARE(modalNameDuring([&] { window->commandBar().click(QString::fromUtf8(id)); }),
                     QString::fromUtf8(name));
        QCOMPARE(folder->messages.count(), 0);
    }

    void helpCommands() {
        CommandBar& bar = window->commandBar();
        bar.click(QStringLiteral("ID_GuidainLinea"));
        HelpViewer* viewer = HelpViewer::find(window.get());
        QVERIFY(viewer);
        QCOMPARE(viewer->currentTopicId(), QStringLiteral("sommario"));
        bar.click(QStringLiteral("ID_IndicedellaGuida"));
        QVERIFY(viewer->indexShown());
        for (const char* id : {"ID_SupportoProdotto", "ID_HomePage", "ID_PostaElettronica"}) {
            viewer->showTopic(QStringLiteral("sommario"));
            bar.click(QString::fromUtf8(id));
            QVERIFY2(viewer->currentTopicId() != QStringLiteral("sommario"), id);
            QVERIFY2(viewer->helpFile()
                         .find(viewer->currentTopicId())
                         ->keywords.contains(QStringLiteral("Supporto")),
                     id);
        }
        QCOMPARE(folder->messages.count(), 0);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
