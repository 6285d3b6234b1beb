#include <QTest>

#include <QAbstractButton>

#include "cards/CardBrowser.h"
#include "platform/db/Database.h"
#include "platform/ui/HelpViewer.h"
#include "test_support/MainWindowFixture.h"

namespace {

// Answers Form2, once it shows, by clicking a button or closing it from its title bar.
void answerForm2(const char* button) {
    QTimer::singleShot(0, [button] {
        QWidget* form = QApplication::activeModalWidget();
        QVERIFY(form && form->objectName() == QLatin1String("Form2"));
        if (button)
            child<QAbstractButton>(*form, button)->click();
        else
            form->close();
    });
}

}  // namespace

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
            QCOMPARE(modalNameDuring([&] { click(id); }), QString::fromUtf8(name));
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

    void backupAndRestoreThroughTheMainWindow() {
        answerForm2(nullptr);
        click("ID_BackupDati");
        QCOMPARE(folder->messages.count(), 0);
        QVERIFY(!QFile::exists(folder->file("RACCOLIO.BK4")));

        answerForm2("Command1");
        click("ID_BackupDati");
        QVERIFY(QFile::exists(folder->file("RACCOLIO.BK4")));
        QVERIFY(window->isEnabled());

        Database::open(folder->cataloguePath())->exec(QStringLiteral("DELETE FROM LIBRI"));
        answerForm2("Command1");
        click("ID_RipristinoDati");
        QCOMPARE(folder->messages.count(), 2);  // a notice each that the work is done
        QCOMPARE(window->browser().count(), 2);
        QCOMPARE(window->cardField(QStringLiteral("TITOLO")), QStringLiteral("LIBRI 1 TITOLO"));

        // Repair reopens the sources with the counter up to date.
        folder->messages.queueYes();
        click("ID_RecuperoDati");
        QCOMPARE(window->browser().count(), 2);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
