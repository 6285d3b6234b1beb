#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "cards/Archives.h"
#include "cards/CardBrowser.h"
#include "platform/db/Database.h"
#include "search/FindRules.h"
#include "search/ui/FindWindow.h"
#include "test_support/MainWindowFixture.h"

// FrmFind over the real main window on a catalogue of 17 books, 2 music cards, no
// storage media and 5 videos; book 9 has a title with quotes.
class TestFindWindow : public QObject, MainWindowTest {
    Q_OBJECT

    std::unique_ptr<FindWindow> find;

    template <typename T>
    T* control(const char* name) const {
        return child<T>(*find, name);
    }
    bool offers(const QString& field) const {
        return control<QComboBox>("Combo1")->findText(field) >= 0;
    }
    void selectTab(int tab) {
        MainWindowTest::control<QTabBar>("TabStrip1")->setCurrentIndex(tab - 1);
    }
    QString mainCounter() const { return MainWindowTest::control<QLabel>("Label7")->text(); }
    QString shown(const char* control) const {
        return window->findChild<QLineEdit*>(QString::fromLatin1(control))->text();
    }
    QString okCaption() const { return control<QPushButton>("cmdOK")->text(); }
    // Chooses a field, types the text, picks a direction (1..4, 0 keeps it) and presses.
    void search(const QString& field, const QString& text, int option = 0) {
        if (!field.isNull())
            control<QComboBox>("Combo1")->setCurrentText(field);
        control<QLineEdit>("txtExpression")->setText(text);
        if (option)
            find->findChild<QRadioButton*>(QStringLiteral("SSOption%1").arg(option))
                ->setChecked(true);
        QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton);
    }
    void again() { QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton); }
    int checkedOption() const {
        for (int i = 1; i <= 4; ++i)
            if (find->findChild<QRadioButton*>(QStringLiteral("SSOption%1").arg(i))->isChecked())
                return i;
        return 0;
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{17, 2, 0, 5});
        Database::open(folder->cataloguePath())
            ->exec(QStringLiteral(
                "UPDATE LIBRI SET TITOLO = 'Il \"Gattopardo\"' WHERE TITOLO = 'LIBRI 9 TITOLO'"));
        window = startMainWindow(*folder);
        find = std::make_unique<FindWindow>(*window, folder->services, window.get());
        find->show();
    }
    void cleanup() {
        find.reset();
        closeAll();
    }

    void findNeedsATextAndNothingIsCut() {
        QVERIFY(!find->isModal());
        QCOMPARE(checkedOption(), 1);
        // The find button needs a text.
        auto* ok = control<QPushButton>("cmdOK");
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(control<QLineEdit>("txtExpression"), QStringLiteral("x"));
        QVERIFY(ok->isEnabled());
        // Nothing cut off, not even the longer caption.
        ok->setText(QStringLiteral("&Ripeti ricerca"));
        find->adjustSize();
        for (QWidget* w : find->findChildren<QWidget*>())
            if (w->isVisible() && !w->inherits("QComboBoxPrivateContainer"))
                QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
    }

    void fieldListAndCaptionFollowTheArchive() {
        // The quotation's two fields are offered as one.
        QVERIFY(offers(QStringLiteral("CITAZIONE")));
        QVERIFY(!offers(QStringLiteral("CITAZIONE_PAGINA")));
        // No field is chosen until the user picks one; a field the next archive has stays.
        QVERIFY(control<QComboBox>("Combo1")->currentText().isEmpty());
        control<QComboBox>("Combo1")->setCurrentText(QStringLiteral("TITOLO"));
        const QString booksCaption = find->windowTitle();
        selectTab(4);
        QVERIFY(find->windowTitle() != booksCaption);
        QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("TITOLO"));
        control<QComboBox>("Combo1")->setCurrentText(QStringLiteral("REGISTA"));
        selectTab(2);
        QVERIFY(control<QComboBox>("Combo1")->currentText().isEmpty());
        search(QStringLiteral("TITOLO"), QStringLiteral("CDAUDIO 2"));
        QCOMPARE(shown("Text1BBB"), QStringLiteral("CDAUDIO 2 TITOLO"));
    }

    // "1 TITOLO" is in books 1 and 11 only. A first find turns into "next" (a last
    // one into "previous") and the button into a repeat, until nothing more is found.
    void findsInFourDirections() {
        const QString fresh = okCaption();
        search(QStringLiteral("TITOLO"), QStringLiteral("1 TITOLO"));
        QCOMPARE(mainCounter(), QStringLiteral("1"));
        QCOMPARE(checkedOption(), 3);
        QVERIFY(okCaption() != fresh);
        again();
        QCOMPARE(mainCounter(), QStringLiteral("11"));
        again();
        QCOMPARE(folder->messages.texts(), QStringList{FindRules::noMatchMessage()});
        QCOMPARE(okCaption(), fresh);
        QCOMPARE(shown("Text1"), QStringLiteral("LIBRI 11 TITOLO"));

        click("ID_First");
        search(QString(), QStringLiteral("1 TITOLO"), 4);
        QCOMPARE(mainCounter(), QStringLiteral("11"));
        QCOMPARE(checkedOption(), 2);
        again();
        QCOMPARE(mainCounter(), QStringLiteral("1"));
        // Every field, the quotation's included, takes part in a find on all of them.
        search(QStringLiteral("(TUTTI I CAMPI)"), QStringLiteral("5 CITAZIONE_PAGINA"), 3);
        QCOMPARE(mainCounter(), QStringLiteral("5"));

        // A quote is searched for, and Enter searches as the button does.
        control<QComboBox>("Combo1")->setCurrentText(QStringLiteral("TITOLO"));
        auto* text = control<QLineEdit>("txtExpression");
        text->clear();
        QTest::keyClicks(text, QStringLiteral("\"Gattopardo\""));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(mainCounter(), QStringLiteral("9"));
        QCOMPARE(folder->messages.count(), 1);
    }

    // A find moves off the card: not while a new one waits for "Conferma", which would
    // store it half filled and leave the add mode on.
    void noFindWhileACardIsAdded() {
        click("ID_Aggiungi");
        search(QStringLiteral("TITOLO"), QStringLiteral("1 TITOLO"));
        QTest::keyClick(control<QLineEdit>("txtExpression"), Qt::Key_Return);
        QCOMPARE(mainCounter(), QStringLiteral("18"));
        QVERIFY(window->browser().addPending());
        QCOMPARE(folder->count(QStringLiteral("LIBRI")), 17);
        click("ID_Conferma");
        again();
        QCOMPARE(mainCounter(), QStringLiteral("1"));
    }

    void noFieldChosenOnlyMovesTheFocus() {
        find->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(find.get()));
        const QString fresh = okCaption();
        search(QString(), QStringLiteral("TITOLO"), 1);
        QCOMPARE(folder->messages.count(), 0);
        QCOMPARE(okCaption(), fresh);
        QTRY_VERIFY(control<QComboBox>("Combo1")->hasFocus());
    }

    void exitClosesAndAShowStartsAfresh() {
        search(QStringLiteral("TITOLO"), QStringLiteral("1 TITOLO"), 4);
        QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);
        QVERIFY(!find->isVisible());
        find->show();
        QVERIFY(control<QComboBox>("Combo1")->currentText().isEmpty());
        QVERIFY(control<QLineEdit>("txtExpression")->text().isEmpty());
        QCOMPARE(checkedOption(), 1);
        // Escape leaves the same way.
        QTest::keyClick(find.get(), Qt::Key_Escape);
        QVERIFY(!find->isVisible());
    }
};

QTEST_MAIN(TestFindWindow)
#include "tst_findwindow.moc"
