#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "platform/ui/HelpViewer.h"
#include "platform/ui/LookupCombo.h"
#include "shell/ui/CommandBar.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramHooks.h"
#include "test_support/MainWindowFixture.h"

// The commands of the bar reach the windows of the running program, and each lookup
// combo opens the editor of its own table.
class TestCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<MainWindow> window;

    // Runs an action that shows a modal window; returns that window's name after closing it.
    QString modalNameDuring(const std::function<void()>& action) {
        QString seen;
        QTimer::singleShot(0, this, [&seen] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen = modal->objectName();
                modal->close();
            }
        });
        action();
        return seen;
    }

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
        CommandBar& bar = window->commandBar();
        QCOMPARE(modalNameDuring([&] { bar.click(QStringLiteral("ID_Configurazione")); }),
                 QStringLiteral("Form3"));
        QCOMPARE(modalNameDuring([&] { bar.click(QStringLiteral("ID_ManutenzionePassword")); }),
                 QStringLiteral("Form4"));
        QCOMPARE(modalNameDuring([&] { bar.click(QStringLiteral("ID_InfoVersione")); }),
                 QStringLiteral("about"));
        // Inert commands.
        QCOMPARE(modalNameDuring([&] { bar.click(QStringLiteral("ID_InfoSistema")); }), QString());
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
