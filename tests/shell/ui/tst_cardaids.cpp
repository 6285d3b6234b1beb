#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

#include "platform/ui/LookupCombo.h"
#include "test_support/MainWindowFixture.h"

// The input aids of the cards, on the real main window.
class TestCardAids : public QObject, MainWindowTest {
    Q_OBJECT

    void clickLabel(const char* name) { QTest::mouseClick(control<QLabel>(name), Qt::LeftButton); }
    void pick(const char* list, const QString& text) {
        auto* combo = control<QComboBox>(list);
        const int i = combo->findText(text);
        QVERIFY(i >= 0);
        combo->setCurrentIndex(i);
        emit combo->activated(i);
    }
    static QPoint buttonPoint(LookupCombo* combo) {
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = true;
        const QRect r = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                       QStyle::SC_ComboBoxArrow, combo);
        return r.center();
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{2, 2, 2, 2});
        folder->writeFile("attori.dat", "Alberto Sordi\nnessuno\nAnna Magnani\n");
        window = startMainWindow(*folder);
    }
    void cleanup() { closeAll(); }

    // A choice is an edit of the card, stored when the card is left; actors add one
    // name a line, and "nessuno" adds nothing.
    void choiceListsFillTheirField() {
        control<QTabBar>("TabStrip1")->setCurrentIndex(3);
        clickLabel("Giudizio");
        pick("Combo3", QStringLiteral("Buono"));
        QVERIFY(!control<QComboBox>("Combo3")->isVisible());
        control<QPlainTextEdit>("Text15")->clear();
        for (const QString& name : {QStringLiteral("Alberto Sordi"), QStringLiteral("Anna Magnani"),
                                    QStringLiteral("nessuno")}) {
            clickLabel("Attori");
            pick("Combo4", name);
        }
        click("ID_Next");
        QCOMPARE(folder->column("VIDEO", "GIUDIZIO").first(), QStringLiteral("Buono"));
        QCOMPARE(folder->column("VIDEO", "ATTORI").first(),
                 QStringLiteral("Alberto Sordi\nAnna Magnani"));
    }

    void onlyTheButtonOpensTheEditor() {
        control<QTabBar>("TabStrip1")->setCurrentIndex(1);
        auto* soloist = control<LookupCombo>("DBCombo13");
        QSignalSpy spy(soloist, &LookupCombo::buttonDoubleClicked);
        QTest::mouseDClick(soloist->lineEdit(), Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
        QTest::mouseDClick(soloist, Qt::LeftButton, {}, buttonPoint(soloist));
        QCOMPARE(spy.count(), 1);
        QVERIFY(!soloist->view()->isVisible());
        // Not modal: the editor stays open beside the card, and a second double click
        // brings the same window forward.
        QWidget* editor = control<QWidget>("Chiavi");
        QVERIFY(editor && editor->isVisible());
        QTest::mouseDClick(soloist, Qt::LeftButton, {}, buttonPoint(soloist));
        QCOMPARE(window->findChildren<QWidget*>(QStringLiteral("Chiavi")).size(), 1);
        // Work on the catalogue file leaves no editor holding a connection to it.
        window->closeDataSources();
        QCOMPARE(window->findChildren<QWidget*>(QStringLiteral("Chiavi")).size(), 0);
        window->reopenDataSources();
    }

    void modalEditorLivesForOneCall() {
        control<QTabBar>("TabStrip1")->setCurrentIndex(2);
        auto* genre = control<LookupCombo>("DBCombo9");
        QCOMPARE(modalNameDuring(
                     [&] { QTest::mouseDClick(genre, Qt::LeftButton, {}, buttonPoint(genre)); }),
                 QStringLiteral("Chiavi"));
        QTRY_COMPARE(window->findChildren<QWidget*>(QStringLiteral("Chiavi")).size(), 0);
    }

    void findWindowIsKept() {
        click("ID_RicercaSemplice");
        click("ID_RicercaSemplice");
        QCOMPARE(window->findChildren<QWidget*>(QStringLiteral("FrmFind")).size(), 1);
    }

    // A choice list starts on the field's own text: looking at it, Esc, or leaving it
    // unchanged leaves the card as it was; an emptied text empties the field.
    void choiceListsChangeOnlyWhatTheUserChanges() {
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        control<QTabBar>("TabStrip1")->setCurrentIndex(3);
        auto* judgement = control<QLineEdit>("Text139");
        auto* list = control<QComboBox>("Combo3");
        const QString stored = judgement->text();
        clickLabel("Giudizio");
        QCOMPARE(list->currentText(), stored);
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!list->isVisible());
        clickLabel("Giudizio");
        // Another window taking the activation is not the user leaving the list.
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(list, &away);
        QVERIFY(list->isVisible());
        QTest::mouseClick(control<QLineEdit>("Text311"), Qt::LeftButton);
        QVERIFY(!list->isVisible());
        QCOMPARE(judgement->text(), stored);
        click("ID_First");
        QCOMPARE(folder->column("VIDEO", "GIUDIZIO").first(), stored);

        clickLabel("Giudizio");
        list->lineEdit()->selectAll();
        QTest::keyClick(list->lineEdit(), Qt::Key_Delete);
        QTest::mouseClick(control<QLineEdit>("Text311"), Qt::LeftButton);
        QCOMPARE(judgement->text(), QString());
        click("ID_Next");
        QCOMPARE(folder->column("VIDEO", "GIUDIZIO").first(), QString());
    }

    // Looking through a shown list with the wheel or the keys picks nothing: the list
    // stays, the keys open it, and the card is stored as it was.
    void browsingAListWritesNothing() {
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        control<QTabBar>("TabStrip1")->setCurrentIndex(3);
        const QString judgement = control<QLineEdit>("Text139")->text();
        const QString actors = control<QPlainTextEdit>("Text15")->toPlainText();
        // The actor list has no text box: there Home, End and an initial step it too.
        const std::tuple<const char*, const char*, QList<Qt::Key>> lists[] = {
            {"Giudizio", "Combo3", {Qt::Key_Down, Qt::Key_PageUp}},
            {"Attori", "Combo4", {Qt::Key_Down, Qt::Key_End, Qt::Key_A}}};
        for (const auto& [label, name, keys] : lists) {
            auto* list = control<QComboBox>(name);
            clickLabel(label);
            const QPointF at(list->width() / 2.0, list->height() / 2.0);
            QWheelEvent wheel(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list, &wheel);
            QVERIFY(list->isVisible());
            for (Qt::Key key : keys) {
                QTest::keyClick(list, key);
                QVERIFY(list->isVisible());
                QVERIFY(list->view()->isVisible());
                list->hidePopup();
            }
            QTest::keyClick(list, Qt::Key_Escape);
        }
        QCOMPARE(control<QLineEdit>("Text139")->text(), judgement);
        QCOMPARE(control<QPlainTextEdit>("Text15")->toPlainText(), actors);
        click("ID_Next");
        QCOMPARE(folder->column("VIDEO", "GIUDIZIO").first(), judgement);
        QCOMPARE(folder->column("VIDEO", "ATTORI").first(), actors);

        // Enter on an entry of the opened list picks it.
        auto* list = control<QComboBox>("Combo3");
        clickLabel("Giudizio");
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list->view(), Qt::Key_Down);
        const QString chosen = list->view()->currentIndex().data().toString();
        QTest::keyClick(list->view(), Qt::Key_Return);
        QVERIFY(!list->isVisible());
        QCOMPARE(control<QLineEdit>("Text139")->text(), chosen);
    }

    // A move, a click elsewhere or a tab change hides it (Esc works as for any list).
    void actorListGoesAwayWhenLeft() {
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        control<QTabBar>("TabStrip1")->setCurrentIndex(3);
        auto* list = control<QComboBox>("Combo4");
        clickLabel("Attori");
        QVERIFY(list->isVisible());
        click("ID_Next");
        QVERIFY(!list->isVisible());
        clickLabel("Attori");
        QTest::mouseClick(control<QLineEdit>("Text311"), Qt::LeftButton);
        QVERIFY(!list->isVisible());
        clickLabel("Attori");
        control<QTabBar>("TabStrip1")->setCurrentIndex(0);
        QVERIFY(!list->isVisible());
    }
};

QTEST_MAIN(TestCardAids)
#include "tst_cardaids.moc"
