#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "MainWindowFixture.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/LookupCombo.h"
#include "shell/ui/CommandBar.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramHooks.h"

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

    void missingHelpFileIsReported() {
        QFile::remove(folder->file(QStringLiteral("RACCOLIO.HLP")));
        window->commandBar().click(QStringLiteral("ID_GuidainLinea"));
        QCOMPARE(folder->messages.count(), 1);
        QCOMPARE(folder->messages.log().first().icon, MessageService::Icon::Critical);
    }

    void everyComboOpensItsTable_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("modal");
        QTest::newRow("DBCombo2") << 1 << "DBCombo2"
                                  << "ARG1" << true;
        QTest::newRow("DBCombo3") << 1 << "DBCombo3"
                                  << "FORMATO" << true;
        QTest::newRow("DBCombo4") << 1 << "DBCombo4"
                                  << "LIBRERIA" << true;
        QTest::newRow("DBCombo1") << 2 << "DBCombo1"
                                  << "MUSICATIPOBRANO" << true;
        QTest::newRow("DBCombo5") << 2 << "DBCombo5"
                                  << "MUSICAPOSRACCOLIO" << true;
        QTest::newRow("DBCombo11") << 2 << "DBCombo11"
                                   << "MUSICADIRETTORE" << false;
        QTest::newRow("DBCombo12") << 2 << "DBCombo12"
                                   << "MUSICAAUTORE" << false;
        QTest::newRow("DBCombo13") << 2 << "DBCombo13"
                                   << "MUSICASOLISTA" << false;
        QTest::newRow("DBCombo14") << 2 << "DBCombo14"
                                   << "MUSICAORCHESTRA" << false;
        QTest::newRow("DBCombo10") << 3 << "DBCombo10"
                                   << "ARG3" << false;
        QTest::newRow("DBCombo9") << 3 << "DBCombo9"
                                  << "GEN2" << true;
        QTest::newRow("DBCombo7") << 4 << "DBCombo7"
                                  << "GEN3" << true;
        QTest::newRow("DBCombo8") << 4 << "DBCombo8"
                                  << "ARG4" << true;
    }
    void everyComboOpensItsTable() {
        QFETCH(int, tab);
        QFETCH(QString, combo);
        QFETCH(QString, table);
        QFETCH(bool, modal);
        window->findChild<QTabBar*>(QStringLiteral("TabStrip1"))->setCurrentIndex(tab - 1);
        auto* lookup = window->findChild<LookupCombo*>(combo);
        QVERIFY(lookup);
        const QString seen = modalNameDuring([&] { emit lookup->buttonDoubleClicked(); });
        QCOMPARE(window->handOverLabel()->text(), table);
        if (modal) {
            QCOMPARE(seen, QStringLiteral("Chiavi"));
        } else {
            QCOMPARE(seen, QString());
            QWidget* editor = window->findChild<QWidget*>(QStringLiteral("Chiavi"));
            QVERIFY(editor && editor->isVisible());
            editor->close();
        }
        QCOMPARE(folder->messages.count(), 0);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
