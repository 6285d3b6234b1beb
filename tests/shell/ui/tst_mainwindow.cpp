#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "test_support/MainWindowFixture.h"

// Drives the real main window on a catalogue of 17 books, 1 music card, no storage
// media and 5 videos.
class TestMainWindow : public QObject, MainWindowTest {
    Q_OBJECT

    void start(StartupHooks hooks = {}) { window = startMainWindow(*folder, std::move(hooks)); }
    QString counter() const {
        return QStringLiteral("%1 di %2")
            .arg(control<QLabel>("Label7")->text(), control<QLabel>("Label5")->text());
    }
    QString field(const char* name) const { return control<QLineEdit>(name)->text(); }
    QString firstBook(const char* column) const {
        return folder->column("LIBRI", QString::fromLatin1(column)).first();
    }
    void selectTab(int tab) { control<QTabBar>("TabStrip1")->setCurrentIndex(tab - 1); }

private slots:
    void init() { folder = std::make_unique<TempProgramFolder>(QList<int>{17, 1, 0, 5}); }
    void cleanup() { closeAll(); }

    void startsOnFirstBook() {
        start();
        QCOMPARE(counter(), QStringLiteral("1 di 17"));
        QCOMPARE(field("Text1"), QStringLiteral("LIBRI 1 TITOLO"));
        QCOMPARE(folder->messages.count(), 0);
        // The counter follows the card, the frame the tab.
        click("ID_Last");
        QCOMPARE(counter(), QStringLiteral("17 di 17"));
        selectTab(4);
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(field("Text311"), QStringLiteral("VIDEO 1 TITOLO"));
        QVERIFY(control<QWidget>("Frame4")->isVisible() &&
                !control<QWidget>("Frame1")->isVisible());
    }

    // With no card to show nothing can be typed; a new card opens the fields.
    void emptyArchiveDisablesTheCard() {
        start();
        selectTab(3);
        QVERIFY(!control<QLineEdit>("Text1C")->isEnabled());
        click("ID_Aggiungi");
        QVERIFY(control<QLineEdit>("Text1C")->isEnabled());
    }

    void editsAreStoredWhenTheCardIsLeft() {
        start();
        auto* title = control<QLineEdit>("Text1");
        title->selectAll();
        QTest::keyClicks(title, QStringLiteral("Il nome della rosa"));
        auto* notes = control<QPlainTextEdit>("Text10A");
        notes->selectAll();
        QTest::keyClicks(notes, QStringLiteral("Prima riga"));
        auto* author = control<QComboBox>("DBCombo6");
        author->lineEdit()->selectAll();
        QTest::keyClicks(author->lineEdit(), QStringLiteral("Eco Umberto"));
        auto* format = control<QComboBox>("DBCombo3");
        format->setCurrentIndex(1);  // picked from the list
        const QString picked = format->currentText();
        click("ID_Next");
        QCOMPARE(firstBook("TITOLO"), QStringLiteral("Il nome della rosa"));
        QCOMPARE(firstBook("NOTE"), QStringLiteral("Prima riga"));
        QCOMPARE(firstBook("AUTORE"), QStringLiteral("Eco Umberto"));
        QCOMPARE(firstBook("FORMATO"), picked);
        // A word typed into a lookup combo does not change the lookup table.
        QVERIFY(!folder->column("AUTORI", "SOMMA").contains(QStringLiteral("Eco Umberto")));

        // Showing cards is never an edit: browsing leaves the file as it was.
        const QStringList before = folder->column("LIBRI", "SOTTOTITOLO");
        click("ID_Last");
        click("ID_First");
        QCOMPARE(folder->column("LIBRI", "SOTTOTITOLO"), before);
    }

    void addWhileBrowsing() {
        start();
        selectTab(4);
        click("ID_Aggiungi");  // Aggiungi is "0": no question
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        QVERIFY(control<QLineEdit>("Text311")->hasFocus() || !window->isActiveWindow());
        // While the card is pending the moves, the menus and the tabs do nothing.
        QVERIFY(!control<QTabBar>("TabStrip1")->isEnabled());
        click("ID_First");
        click("ID_BackupDati");  // inside the disabled MENU
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        QTest::keyClicks(control<QLineEdit>("Text311"), QStringLiteral("Nuovo film"));
        click("ID_Conferma");
        QVERIFY(control<QTabBar>("TabStrip1")->isEnabled());
        QCOMPARE(folder->column("VIDEO", "TITOLO").last(), QStringLiteral("Nuovo film"));
    }

    // A catalogue that can only be read (opened so here, as a read-only file is): said once
    // at the start; the card takes no typing or picking, browsing goes on, and commands
    // that would write are refused with a message. Nothing reaches the file.
    void readOnlyCatalogue() {
        const auto readOnly = Database::open(folder->cataloguePath(), Database::OpenMode::ReadOnly);
        start();
        QCOMPARE(folder->messages.count(), 1);
        QVERIFY(folder->messages.lastText().contains(folder->cataloguePath()));
        auto* title = control<QLineEdit>("Text1");
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("x"));
        auto* format = control<QComboBox>("DBCombo3");
        format->setFocus();
        QTest::keyClick(format, Qt::Key_Down);
        QTest::keyClicks(format, QStringLiteral("y"));
        QTest::keyClicks(control<QPlainTextEdit>("Text10A"), QStringLiteral("z"));
        QCOMPARE(field("Text1"), QStringLiteral("LIBRI 1 TITOLO"));
        QCOMPARE(format->currentText(), firstBook("FORMATO"));
        click("ID_Next");
        QCOMPARE(counter(), QStringLiteral("2 di 17"));
        for (const char* id :
             {"ID_Aggiungi", "ID_RipristinoDati", "ID_RicercaconStampaStrutturata"})
            click(id);
        QCOMPARE(folder->messages.count(), 4);
        for (const ShownMessage& m : folder->messages.log())
            QCOMPARE(m.icon, MessageService::Icon::Information);
        QCOMPARE(firstBook("NOTE"), QStringLiteral("LIBRI 1 NOTE"));
    }

    // The exit question: No keeps the window and the edit, Yes stores the edit.
    void exitStoresTheCard() {
        start();
        control<QLineEdit>("Text1")->selectAll();
        QTest::keyClicks(control<QLineEdit>("Text1"), QStringLiteral("Modificato"));
        folder->messages.queueNo();
        click("ID_Uscita");
        QCOMPARE(folder->messages.count(), 1);
        QVERIFY(window->isVisible());
        QCOMPARE(field("Text1"), QStringLiteral("Modificato"));
        folder->messages.queueYes();
        QVERIFY(window->close());
        QCOMPARE(firstBook("TITOLO"), QStringLiteral("Modificato"));

        // Without the question a pending new card is stored on the way out.
        folder->settings.write(QStringLiteral("Uscita"), QStringLiteral("0"));
        start();
        click("ID_Aggiungi");
        QTest::keyClicks(control<QLineEdit>("Text1"), QStringLiteral("Scritto all'ultimo"));
        QVERIFY(window->close());
        QCOMPARE(folder->messages.count(), 2);  // the two questions above, no third
        QCOMPARE(folder->column("LIBRI", "TITOLO").last(), QStringLiteral("Scritto all'ultimo"));
        window.reset();
    }

    // The password is asked first, then the about box shows while the commands still
    // wait. A refused password ends the program with status 1, unless "/q" on the command
    // line cleared the password before it was asked for.
    void startUpPassword_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("accepted") << QString() << true << QStringList{"password", "about:0"};
        QTest::newRow("refused") << QString() << false << QStringList{"password"};
        QTest::newRow("/q") << QStringLiteral("/q") << false << QStringList{"about:0"};
    }
    void startUpPassword() {
        QFETCH(QString, commandLine);
        QFETCH(bool, accepted);
        QFETCH(QStringList, calls);
        folder->settings.write(QStringLiteral("OnPassword"), QStringLiteral("1"));
        folder->settings.write(QStringLiteral("Password"), QStringLiteral("abc"));
        QStringList seen;
        StartupHooks hooks;
        hooks.screenSize = [] { return QSize(640, 480); };
        hooks.password = [&](QWidget*) {
            seen << QStringLiteral("password");
            return accepted;
        };
        hooks.about = [&](QWidget*) {
            seen << QStringLiteral("about:%1")
                        .arg(window->commandBar().isEnabled(QStringLiteral("ID_First")));
        };
        window = std::make_unique<MainWindow>(folder->services, commandLine, hooks);
        QSignalSpy ended(window.get(), &MainWindow::endRequested);
        window->show();
        QTRY_VERIFY(!ended.isEmpty() || seen.size() == calls.size());
        QCOMPARE(seen, calls);
        const bool ends = !accepted && commandLine.isEmpty();
        QCOMPARE(ended.count(), int(ends));
        if (ends)
            QCOMPARE(ended.first().first().toInt(), 1);
        else
            QVERIFY(window->commandBar().isEnabled(QStringLiteral("ID_First")));
    }

    void enterIsIgnoredInTitles() {
        start();
        auto* title = control<QLineEdit>("Text1");
        title->setFocus();
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(title->text(), QStringLiteral("LIBRI 1 TITOLO"));
    }

    void scalingAsksWhenConfigured() {
        folder->settings.write(QStringLiteral("SetRisoluzione"), QStringLiteral("1"));
        folder->messages.queueNo();
        StartupHooks hooks;
        hooks.screenSize = [] { return QSize(1024, 768); };
        start(hooks);
        QCOMPARE(folder->messages.count(), 1);
    }

    // A store the engine refuses leaves the archive shown, and the strip with it.
    void refusedTabChangeKeepsTheStrip() {
        start();
        Database::open(folder->cataloguePath())
            ->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON LIBRI "
                                  "BEGIN SELECT RAISE(ABORT, 'no'); END"));
        auto* title = control<QLineEdit>("Text1");
        title->selectAll();
        QTest::keyClicks(title, QStringLiteral("Rifiutato"));
        selectTab(4);
        QCOMPARE(folder->messages.count(), 1);
        QCOMPARE(control<QTabBar>("TabStrip1")->currentIndex(), 0);
        QVERIFY(control<QWidget>("Frame1")->isVisible());
        QCOMPARE(title->text(), QStringLiteral("Rifiutato"));
    }

    // An edit the record buffer cannot take is reported, and the text stays.
    void refusedEditIsShown() {
        start();
        window->dataSource(1)->closeDatabase();
        auto* title = control<QLineEdit>("Text1");
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("x"));
        QCOMPARE(folder->messages.count(), 1);
        QCOMPARE(title->text(), QStringLiteral("xLIBRI 1 TITOLO"));
    }

    void focusHolderIsNotInTheTabChain() {
        start();
        click("ID_Next");
        QWidget* w = control<QLineEdit>("Text1");
        w->setFocus();
        QApplication::processEvents();
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != control<QWidget>("Text11"));
        }
    }

    // A wheel over a combo or the tab strip that has not been clicked changes nothing.
    void wheelChangesNothingUnfocused() {
        start();
        auto* format = control<QComboBox>("DBCombo3");
        const QString before = format->currentText();
        auto turn = [](QWidget* w) {
            const QPointF at(w->width() / 2.0, w->height() / 2.0);
            QWheelEvent wheel(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &wheel);
        };
        turn(format);
        turn(control<QTabBar>("TabStrip1"));
        QCOMPARE(format->currentText(), before);
        QCOMPARE(control<QTabBar>("TabStrip1")->currentIndex(), 0);
        click("ID_Next");
        QCOMPARE(firstBook("FORMATO"), before);
    }

    // At the design screen size the whole window, frame included, is on the screen.
    void fitsTheDesignScreen() {
        start();
        const QSize least = window->minimumSizeHint();
        QVERIFY2(least.width() <= 640 && least.height() <= 480,
                 qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
