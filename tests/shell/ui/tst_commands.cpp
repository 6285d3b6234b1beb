#include <QTest>

#include "platform/ui/HelpViewer.h"
#include "shell/ui/CommandBar.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramHooks.h"
#include "test_support/MainWindowFixture.h"

// The commands of the bar reach the windows of the running program.
class TestCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<MainWindow> window;

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{2, 2, 2, 2});
        QFile::copy(QStringLiteral(RACCOLIO_DATA_DIR "/RACCOLIO.HLP"),
                    folder->file(QStringLiteral("RACCOLIO.HLP")));
        folder->settings.write(QStringLiteral("About"), QStringLiteral("0"));
        window = startMainWindow(*folder, programHooks(folder->services));
    }
    void cleanup() {
        closeMainWindow(*folder, window);
        folder.reset();
    }

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
