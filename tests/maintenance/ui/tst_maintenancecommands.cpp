#include <QAbstractButton>
#include <QTest>

#include "cards/CardBrowser.h"
#include "platform/db/Database.h"
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

class MaintenanceCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void backupAndRestoreThroughTheMainWindow() {
        TempProgramFolder folder({3, 0, 0, 0});
        auto window = startProgram(folder);

        answerForm2(nullptr);
        window->commandBar().click(QStringLiteral("ID_BackupDati"));
        QCOMPARE(folder.messages.count(), 0);
        QVERIFY(!QFile::exists(folder.file("RACCOLIO.BK4")));

        answerForm2("Command1");
        window->commandBar().click(QStringLiteral("ID_BackupDati"));
        QVERIFY(QFile::exists(folder.file("RACCOLIO.BK4")));
        QVERIFY(window->isEnabled());

        Database::open(folder.cataloguePath())->exec(QStringLiteral("DELETE FROM LIBRI"));
        answerForm2("Command1");
        window->commandBar().click(QStringLiteral("ID_RipristinoDati"));
        QCOMPARE(folder.messages.count(), 2);  // a notice each that the work is done
        QCOMPARE(window->browser().count(), 3);
        QCOMPARE(window->cardField(QStringLiteral("TITOLO")), QStringLiteral("LIBRI 1 TITOLO"));

        // Repair reopens the sources with the counter up to date.
        folder.messages.queueYes();
        window->commandBar().click(QStringLiteral("ID_RecuperoDati"));
        QCOMPARE(window->browser().count(), 3);
        closeMainWindow(folder, window);
    }
};

QTEST_MAIN(MaintenanceCommandsTest)
#include "tst_maintenancecommands.moc"
