#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>

#include "cards/CardBrowser.h"
#include "platform/db/Database.h"
#include "platform/report/ui/ReportPreview.h"
#include "platform/ui/LookupCombo.h"
#include "registers/ui/AuthorsWindow.h"
#include "registers/ui/FileChooserWindow.h"
#include "registers/ui/RegisterCommands.h"
#include "test_support/MainWindowFixture.h"

// Each window opened from the real main window as its card's controls open it, driven
// while it is shown modally; what it sets must be stored with the card.
class TestRegisterWindows : public QObject, MainWindowTest {
    Q_OBJECT

    // Runs id and drives the modal window it shows with act.
    void run(const char* id, std::function<void(QWidget&)> act) {
        const auto command = [&] {
            QVERIFY(runRegisterCommand(QString::fromLatin1(id), *window, folder->services,
                                       window.get()));
        };
        QVERIFY(!modalNameDuring(command, std::move(act)).isEmpty());
    }
    static void trigger(QWidget& w, const char* action) { child<QAction>(w, action)->trigger(); }
    QString stored(const char* table, const char* field) {
        window->browser().next();  // leaving the card stores it
        return folder->column(QString::fromLatin1(table), QString::fromLatin1(field)).first();
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{2, 2, 2, 2});
        window = startProgram(*folder);
    }
    void cleanup() { closeAll(); }

    void authorsRegisterAddsAndHandsOver() {
        folder->messages.queueYes();
        run("DBCombo6", [this](QWidget& w) {
            QCOMPARE(child<QLabel>(w, "Label4")->text(), QStringLiteral("1"));
            QTest::mouseClick(child<QToolButton>(w, "Command1"), Qt::LeftButton);
            QVERIFY(!child<QWidget>(w, "Picture1")->isEnabled());
            QVERIFY(!child<QAction>(w, "ok01")->isEnabled());
            QTest::keyClicks(child<QLineEdit>(w, "Text1"), QStringLiteral("Mario"));
            QTest::keyClicks(child<QLineEdit>(w, "Text2"), QStringLiteral("Rossi"));
            w.close();  // refused while adding
            QVERIFY(w.isVisible());
            trigger(w, "conf01agg");
            QCOMPARE(child<QLabel>(w, "Label3")->text(), QStringLiteral("2"));
            QVERIFY(!child<QAction>(w, "conf01agg")->isVisible());
            QCOMPARE(child<QLineEdit>(w, "Text5")->text(), QStringLiteral("Rossi Mario"));
            trigger(w, "ok01");
        });
        QCOMPARE(folder->messages.texts(), QStringList({AuthorsRegister::closeRefusedMessage(),
                                                        AuthorsRegister::handOverQuestion()}));
        QCOMPARE(window->cardField(QStringLiteral("AUTORE")), QStringLiteral("Rossi Mario"));
        QVERIFY(child<QComboBox>(*window, "DBCombo6")->findText(QStringLiteral("Rossi Mario")) >=
                0);
        QCOMPARE(stored("LIBRI", "AUTORE"), QStringLiteral("Rossi Mario"));
    }

    void authorKnownOnlyByFullNameIsShownAndHandedOver() {
        Database::open(folder->cataloguePath())
            ->exec(QStringLiteral("INSERT INTO AUTORI (SOMMA) VALUES ('Verga Giovanni')"));
        folder->messages.queueYes();
        run("DBCombo6", [](QWidget& w) {
            // Without a first name it comes first.
            QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("Verga Giovanni"));
            QTest::mouseClick(child<QToolButton>(w, "Command5"), Qt::LeftButton);
            QTest::mouseClick(child<QToolButton>(w, "Command4"), Qt::LeftButton);
            QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("Verga Giovanni"));
            trigger(w, "ok01");
        });
        QCOMPARE(window->cardField(QStringLiteral("AUTORE")), QStringLiteral("Verga Giovanni"));
        QVERIFY(folder->column("AUTORI", "SOMMA").contains(QStringLiteral("Verga Giovanni")));
        QCOMPARE(folder->column("AUTORI", "COGNOME").last(), QString());
    }

    void authorsPrintOpensAPreviewThatWorksOverTheRegister() {
        QVERIFY(QFile::copy(QStringLiteral(RACCOLIO_DATA_DIR "/AUTORI.RPT"),
                            folder->file("AUTORI.RPT")));
        QSize opened;
        bool closed = false;
        run("DBCombo6", [&](QWidget& w) {
            QTest::mouseClick(child<QToolButton>(w, "Command7"), Qt::LeftButton);
            QPointer<ReportPreview> preview = w.findChild<ReportPreview*>();
            QVERIFY(preview && QTest::qWaitForWindowExposed(preview));
            opened = preview->size();
            // Chiudi as the user clicks it, through the window system.
            auto* close = child<QPushButton>(*preview, "cmdClose");
            QTest::mouseClick(preview->windowHandle(), Qt::LeftButton, {},
                              close->mapTo(preview, close->rect().center()));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            closed = preview.isNull() && w.isVisible();
        });
        QVERIFY(closed);
        // No window size was given by a print from the main window yet.
        QVERIFY2(opened.width() >= 640 && opened.height() >= 400,
                 qPrintable(QStringLiteral("%1x%2").arg(opened.width()).arg(opened.height())));
    }

    void registerButtonsStayWhereTheyAre() {
        // The register is laid out at a fixed size; its counter must not push the buttons
        // about (the delete button asks nothing).
        Database::open(folder->cataloguePath())
            ->exec(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3919) "
                "INSERT INTO AUTORI (NOME, COGNOME, SOMMA) SELECT 'N' || i, 'C' || i, '' FROM n"));
        run("DBCombo6", [](QWidget& w) {
            auto* remove = child<QToolButton>(w, "Command2");
            const QRect before(remove->mapTo(&w, QPoint()), remove->size());
            const QSize size = w.size();
            QTest::mouseClick(child<QToolButton>(w, "Command6"), Qt::LeftButton);
            QCOMPARE(child<QLabel>(w, "Label3")->text(), QStringLiteral("3920"));
            w.layout()->activate();
            QCOMPARE(QRect(remove->mapTo(&w, QPoint()), remove->size()), before);
            QCOMPARE(w.size(), size);
        });
    }

    void keywordsWrittenOnlyOnOk() {
        window->setCardField(QStringLiteral("CHIAVE1"), QStringLiteral("jazz"));
        run("ID_ParoleChiavi", [](QWidget& w) {
            QTest::qWait(150);  // the keywords are read shortly after loading
            QCOMPARE(child<QComboBox>(w, "DBCombo1")->currentText(), QStringLiteral("jazz"));
            child<QComboBox>(w, "DBCombo3")->setEditText(QStringLiteral("live"));
        });
        QCOMPARE(window->cardField(QStringLiteral("CHIAVE3")), QStringLiteral("LIBRI 1 CHIAVE3"));
        folder->input.queueText(QStringLiteral("blues"));
        run("SSCommand3", [](QWidget& w) {
            QTest::qWait(150);
            // A word added in the keyword list editor can be chosen at once.
            QTimer::singleShot(150, [] {
                QWidget* editor = QApplication::activeModalWidget();
                QCOMPARE(editor->objectName(), QStringLiteral("Keylist"));
                QTest::mouseClick(child<QToolButton>(*editor, "Command1"), Qt::LeftButton);
                trigger(*editor, "memOK");
            });
            auto* second = child<LookupCombo>(w, "DBCombo2");
            emit second->buttonDoubleClicked();
            QVERIFY(second->findText(QStringLiteral("blues")) >= 0);
            child<QComboBox>(w, "DBCombo1")->setEditText(QString());
            child<QComboBox>(w, "DBCombo3")->setEditText(QStringLiteral("live"));
            // A wheel passing over a keyword the user has not clicked leaves it.
            auto* fourth = child<QComboBox>(w, "DBCombo4");
            const QPointF at(fourth->width() / 2.0, fourth->height() / 2.0);
            QWheelEvent wheel(at, fourth->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(fourth, &wheel);
            trigger(w, "mennOK");
        });
        QCOMPARE(window->cardField(QStringLiteral("CHIAVE1")), QString());
        QCOMPARE(stored("LIBRI", "CHIAVE3"), QStringLiteral("live"));
        QCOMPARE(folder->column(QStringLiteral("LIBRI"), QStringLiteral("CHIAVE4")).first(),
                 QStringLiteral("LIBRI 1 CHIAVE4"));
    }

    void cardWindowsNeedACard() {
        Database::open(folder->cataloguePath())->exec(QStringLiteral("DELETE FROM CDAUDIO"));
        window->browser().selectArchive(Archive::Music);
        QCOMPARE(modalNameDuring([this] {
                     runRegisterCommand(QStringLiteral("ID_ParoleChiavi"), *window,
                                        folder->services, window.get());
                 }),
                 QString());
        QCOMPARE(folder->messages.texts(), QStringList{CardBrowser::noCardMessage()});
    }

    void quotationOfTheBook() {
        run("SSCommand2", [](QWidget& w) {
            QCOMPARE(child<QLabel>(w, "Label10")->text(), QStringLiteral("LIBRI 1 TITOLO"));
            child<QLineEdit>(w, "Text3")->setText(QStringLiteral("12"));
            child<QPlainTextEdit>(w, "Text4")->setPlainText(QStringLiteral("Quel ramo"));
            trigger(w, "memOK");
        });
        QCOMPARE(window->cardField(QStringLiteral("CITAZIONE_CITAZIONE")),
                 QStringLiteral("Quel ramo"));
        QCOMPARE(window->cardField(QStringLiteral("TITOLO")), QStringLiteral("LIBRI 1 TITOLO"));
        QCOMPARE(stored("LIBRI", "CITAZIONE_PAGINA"), QStringLiteral("12"));
    }

    void fileChooserAppendsTheExportList() {
        folder->writeFile("a.txt", "a");
        folder->writeFile("b.doc", "b");
        window->browser().selectArchive(Archive::Media);
        const QString before = window->cardField(QStringLiteral("ELENCO"));
        auto pick = [this](QWidget& w) {
            auto& chooser = static_cast<FileChooserWindow&>(w);
            chooser.openFolder(folder->path());
            child<QComboBox>(w, "Combo1")->setEditText(QStringLiteral("*.txt"));
            auto* list = child<QListView>(w, "List1");
            QCOMPARE(list->model()->rowCount(), 1);
            QTest::keyClick(list, Qt::Key_Return);  // nothing selected: nothing moves
            list->setCurrentIndex(list->model()->index(0, 0));
            QTest::keyClick(list, Qt::Key_Return);
            QCOMPARE(child<QListView>(w, "List2")->model()->rowCount(), 1);
            // Enter in a folder or a pattern means that field, not "Esporta".
            QTest::keyClick(child<QTreeView>(w, "Dir1"), Qt::Key_Return);
            QTest::keyClick(child<QComboBox>(w, "Combo1")->lineEdit(), Qt::Key_Return);
            QVERIFY(w.isVisible());
        };
        run("Label29", [&](QWidget& w) {
            pick(w);
            QTest::mouseClick(child<QWidget>(w, "Command5"), Qt::LeftButton);
        });
        QCOMPARE(window->cardField(QStringLiteral("ELENCO")), before);
        run("Label29", [&](QWidget& w) {
            pick(w);
            QTest::mouseClick(child<QWidget>(w, "Command6"), Qt::LeftButton);
        });
        QCOMPARE(stored("CDROM", "ELENCO"), before + "\n" + folder->file("a.txt"));
    }
};

QTEST_MAIN(TestRegisterWindows)
#include "tst_registerwindows.moc"
