#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "cards/CardContext.h"
#include "game/ScriptedChance.h"
#include "game/ui/Board.h"
#include "game/ui/CardPictures.h"
#include "game/ui/GameCommands.h"
#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"

namespace {

QString label(const QWidget& w, const QString& name) {
    return child<QLabel>(w, name)->text();
}
QAction* action(const QWidget& w, const char* name) {
    return child<QAction>(w, name);
}

// Runs the event loop until `done`. QTest::qWaitFor sleeps 10 ms between passes, one
// frame per pass: far too slow for a whole game of animations.
template <typename Done>
bool spinUntil(Done done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The game window on scripted chance, with quick turn timers and frames.
struct Table {
    explicit Table(Board::Timings timings = {5000, 1, 1, 0})
        : board(folder.services, nullptr, chance.chance(), timings) {}

    TempProgramFolder folder;
    ScriptedChance chance;
    Board board;

    QWidget* surface() const { return child<QWidget>(board, "surface"); }
    const MemoryGame& game() const { return board.game(); }

    // Shown, welcomed and dealt.
    bool open() {
        board.show();
        if (!QTest::qWaitForWindowExposed(&board))
            return false;
        return spinUntil([this] { return folder.messages.count() == 1 && board.isIdle(); });
    }
    void click(int cell) {
        QTest::mouseClick(surface(), Qt::LeftButton, {}, board.cellCentre(cell));
    }
    // Player 1's turn with nothing under way, or the end of the game.
    bool waitForPlayerOne() {
        return spinUntil([this] {
            return board.isIdle() &&
                   (game().over() || (game().currentPlayer() == 1 && game().cardsTurned() == 0));
        });
    }
    QImage cellImage(int cell) const { return surface()->grab(board.cellRect(cell)).toImage(); }
};

// The game never reads the cards.
class NoCards : public CardContext {
public:
    CardBrowser& browser() override { throw std::logic_error("the game reads no card"); }
    QString cardField(const QString&) const override { return {}; }
    void setCardField(const QString&, const QString&) override {}
    void reloadLookups() override {}
    void closeDataSources() override {}
    void reopenDataSources() override {}
};

QImage picture(const QPixmap& pm) {
    return pm.toImage().convertToFormat(QImage::Format_RGB32);
}
QImage picture(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TestBoard : public QObject {
    Q_OBJECT

private slots:
    void opensAsThePartSays() {
        TempProgramFolder folder;
        Board board(folder.services);
        QCOMPARE(board.objectName(), QStringLiteral("Board"));
        QCOMPARE(board.windowTitle(), QStringLiteral("Raccolio 5.5 Pro - Relax..."));
        QCOMPARE(child<QMenu>(board, "game")->title(), QStringLiteral("&Partita"));
        QCOMPARE(child<QMenu>(board, "board_size")->title(), QStringLiteral("&Griglia"));
        QCOMPARE(child<QMenu>(board, "option")->title(), QStringLiteral("&Opzioni"));
        const struct {
            const char* name;
            const char* caption;
            bool ticked;
            bool visible;
        } items[] = {
            {"new", "Nuova partita", false, true},
            {"show_cards", "Mostra carte", false, true},
            {"quit", "Uscita", false, true},
            {"six", "6 per 6", false, true},
            {"eight", "8 per 8", true, true},
            {"ten", "10 per 10", false, true},
            {"pvc", "Player 1 contro il Computer", true, true},
            {"pvp", "Player 1 contro Player 2", false, true},
            {"high", "Memoria Computer: Scarsa", false, true},
            {"med", "Memoria Computer: Discreta", true, true},
            {"low", "Memoria Computer: Eccellente", false, true},
            {"ai_on", "Choosing with AI and Memory", true, false},
            {"ai_off", "Choosing only with Memory", false, false},
        };
        for (const auto& i : items) {
            QAction* a = action(board, i.name);
            QCOMPARE(a->text(), QString::fromUtf8(i.caption));
            QCOMPARE(a->isChecked(), i.ticked);
            QCOMPARE(a->isVisible(), i.visible);
        }
        for (const char* sep : {"sep", "sep2", "sep1"})
            QVERIFY(action(board, sep)->isSeparator());
        QVERIFY(!action(board, "sep1")->isVisible());
        QVERIFY(action(board, "sep")->isVisible());

        QCOMPARE(label(board, "player_name(0)"), QStringLiteral("Player 1:"));
        QCOMPARE(label(board, "player_name(1)"), QStringLiteral("Computer:"));
        QCOMPARE(label(board, "Label1"), QStringLiteral("Mosse :"));
        QCOMPARE(label(board, "label"), QStringLiteral("E' il tuo turno..."));
        QVERIFY(child<QWidget>(board, "Picture1"));

        const struct {
            const char* name;
            int interval;
        } timers[] = {{"time_over", 5000}, {"next_turn", 500}, {"com_timer", 500}};
        for (const auto& t : timers) {
            QTimer* timer = child<QTimer>(board, t.name);
            QCOMPARE(timer->interval(), t.interval);
            QVERIFY(!timer->isActive());
        }
        QCOMPARE(child<QWidget>(board, "surface")->size(), QSize(8 * 32, 8 * 32));
        QCOMPARE(folder.messages.count(), 0);
    }

    void giocaOpensTheBoardModally() {
        TempProgramFolder folder;
        NoCards cards;
        QWidget mainWindow;
        QPixmap icon(16, 16);
        icon.fill(Qt::red);
        mainWindow.setWindowIcon(QIcon(icon));
        mainWindow.show();
        QVERIFY(!runGameCommand(QStringLiteral("ID_Trova"), cards, folder.services, &mainWindow));

        bool seen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* board = qobject_cast<Board*>(QApplication::activeModalWidget());
            if (!board || folder.messages.count() == 0)
                return;
            seen = board->isModal() && board->parentWidget() == &mainWindow &&
                   board->windowIcon().cacheKey() == mainWindow.windowIcon().cacheKey() &&
                   board->game().dealt();
            action(*board, "quit")->trigger();
        });
        poll.start(10);
        QVERIFY(runGameCommand(QStringLiteral("ID_Gioca"), cards, folder.services, &mainWindow));
        QVERIFY(seen);
        QCOMPARE(folder.messages.texts(),
                 QStringList{QStringLiteral("Clicca su OK per iniziare una nuova partita.")});
        QVERIFY(mainWindow.findChildren<Board*>().isEmpty());  // released when it closed
    }

    void welcomesAtTheFirstPaintAndDeals() {
        Table t;
        QVERIFY(!t.game().dealt());
        QVERIFY(t.open());
        QCOMPARE(t.folder.messages.lastText(),
                 QStringLiteral("Clicca su OK per iniziare una nuova partita."));
        QCOMPARE(t.folder.messages.log().first().buttons, MessageService::Buttons::Ok);
        QVERIFY(t.game().dealt());
        QCOMPARE(label(t.board, "label"), QStringLiteral("E' il tuo turno."));
        QCOMPARE(label(t.board, "round"), QStringLiteral("1"));
        QCOMPARE(label(t.board, "score(0)"), QStringLiteral("0"));
        QVERIFY(action(t.board, "show_cards")->isEnabled());
        // A repaint does not welcome again.
        t.board.repaint();
        QTest::qWait(20);
        QCOMPARE(t.folder.messages.count(), 1);
        QCOMPARE(picture(t.cellImage(1)), picture(CardPictures::back()));
    }

    void cardsTurnWithoutBlockingTheEventLoop() {
        TempProgramFolder folder;
        ScriptedChance chance;
        Board board(folder.services, nullptr, chance.chance(), Board::Timings{5000, 500, 500, 15});
        board.show();
        QVERIFY(QTest::qWaitFor([&] { return folder.messages.count() == 1 && board.isIdle(); }));
        auto* surface = child<QWidget>(board, "surface");
        QTest::mouseClick(surface, Qt::LeftButton, {}, board.cellCentre(1));
        // The click returns at once; the frames follow on the timer.
        QVERIFY(!board.isIdle());
        QVERIFY(child<QTimer>(board, "animation")->isActive());
        QVERIFY(!child<QTimer>(board, "time_over")->isActive());
        QTRY_VERIFY(board.isIdle());
        QVERIFY(child<QTimer>(board, "time_over")->isActive());
        QVERIFY(!action(board, "show_cards")->isEnabled());
        const QImage shown = surface->grab(QRect(0, 0, 32, 32)).toImage();
        QCOMPARE(picture(shown), picture(CardPictures::face(board.game().face(1))));
        // A click just right of the board is ignored.
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(8 * 32, 5));
        QCOMPARE(board.game().cardsTurned(), 1);
    }

    void aNewGameInTheMiddleOfATurnStopsItsTimers() {
        Table t({5000, 600, 600, 0});
        QVERIFY(t.open());
        auto* nextTurn = child<QTimer>(t.board, "next_turn");
        auto* comTimer = child<QTimer>(t.board, "com_timer");
        auto newGameStopsEverything = [&t] {
            t.chance.queueDeal(stripeLayout(8));
            action(t.board, "new")->trigger();
            for (const char* name : {"time_over", "next_turn", "com_timer", "animation"})
                if (child<QTimer>(t.board, name)->isActive())
                    return false;
            return t.board.isIdle() && t.game().currentPlayer() == 1 &&
                   t.game().cardsTurned() == 0 && t.board.cursor().shape() == Qt::ArrowCursor;
        };

        t.click(1);
        t.click(2);  // a miss
        QTRY_VERIFY(nextTurn->isActive());
        QVERIFY(newGameStopsEverything());

        t.click(1);
        t.click(2);
        QTRY_VERIFY(comTimer->isActive());  // the computer's two cards are up
        QCOMPARE(t.board.cursor().shape(), Qt::WaitCursor);
        QVERIFY(newGameStopsEverything());
        QTest::qWait(700);  // past both intervals: nothing turns on the new deal
        for (int c = 1; c <= 64; ++c)
            QCOMPARE(t.game().state(c), CardState::Down);
        QCOMPARE(picture(t.cellImage(1)), picture(CardPictures::back()));
        QCOMPARE(label(t.board, "label"), QStringLiteral("E' il tuo turno."));
    }

    void theMenusChangeTheGame() {
        Table t;
        QVERIFY(t.open());
        action(t.board, "ten")->trigger();
        QCOMPARE(t.game().size(), 10);
        QCOMPARE(t.surface()->size(), QSize(320, 320));
        QVERIFY(action(t.board, "ten")->isChecked());
        QVERIFY(!action(t.board, "eight")->isChecked());
        action(t.board, "ten")->trigger();  // the ticked item does nothing
        QVERIFY(action(t.board, "ten")->isChecked());
        QCOMPARE(t.game().size(), 10);

        action(t.board, "pvp")->trigger();
        QVERIFY(action(t.board, "pvp")->isChecked());
        QVERIFY(!action(t.board, "pvc")->isChecked());
        QCOMPARE(label(t.board, "player_name(0)"), QStringLiteral("Player 1"));
        QCOMPARE(label(t.board, "player_name(1)"), QStringLiteral("Player 2"));
        QCOMPARE(label(t.board, "label"), QStringLiteral("Turno di Player 1"));

        action(t.board, "high")->trigger();
        QVERIFY(action(t.board, "high")->isChecked());
        QVERIFY(!action(t.board, "med")->isChecked());
        QCOMPARE(t.game().computer().threshold(), 100.f);

        const int face = t.game().face(1);
        action(t.board, "ai_off")->trigger();
        QVERIFY(action(t.board, "ai_off")->isChecked());
        QVERIFY(!action(t.board, "ai_on")->isChecked());
        QCOMPARE(t.game().face(1), face);  // no new game

        action(t.board, "show_cards")->trigger();
        QVERIFY(spinUntil([&t] { return t.board.isIdle(); }));
        QVERIFY(!action(t.board, "show_cards")->isEnabled());
        QCOMPARE(picture(t.cellImage(100)), picture(CardPictures::face(t.game().face(100))));

        action(t.board, "quit")->trigger();
        QVERIFY(!t.board.isVisible());
    }

    // A whole 6 × 6 game against the computer, through mouse clicks, to "Game Over".
    void aFullGameAgainstTheComputer() {
        Table t;
        QVERIFY(t.open());
        t.chance.queueDeal(stripeLayout(6));  // partners 9 cells apart
        action(t.board, "six")->trigger();
        QVERIFY(t.chance.pending() == 0);
        QCOMPARE(t.surface()->size(), QSize(6 * 32, 6 * 32));

        // Player 1 knows the deal but misses every other try; the computer draws its
        // cells from the scripted walk.
        int tries = 0;
        int computerTurnsSeen = 0;
        while (true) {
            QVERIFY(t.waitForPlayerOne());
            if (t.game().over())
                break;
            QCOMPARE(label(t.board, "score(0)"), QString::number(t.game().score(1)));
            QCOMPARE(label(t.board, "score(1)"), QString::number(t.game().score(2)));
            QCOMPARE(label(t.board, "round"), QString::number(t.game().moves()));
            QVERIFY(action(t.board, "show_cards")->isEnabled());
            computerTurnsSeen = t.game().moves() - 1;

            QList<int> down;
            for (int c = 1; c <= 36; ++c)
                if (t.game().state(c) == CardState::Down)
                    down << c;
            const int first = down.first();
            int second = 0;
            for (int c : down)
                if (c != first && t.game().face(c) == t.game().face(first))
                    second = c;
            if (tries % 2 == 0)
                for (int c : down)
                    if (t.game().face(c) != t.game().face(first)) {
                        second = c;
                        break;
                    }
            ++tries;
            t.click(first);
            t.click(first);  // the same card again: ignored
            t.click(second);
            QCOMPARE(t.game().cardsTurned(), 2);
            t.click(down.last());  // a third card: ignored
            QCOMPARE(t.game().state(down.last()),
                     down.last() == second ? CardState::Up : CardState::Down);
            if (tries == 5 && qEnvironmentVariableIsSet("RACCOLIO_GAME_SCREENSHOT")) {
                QVERIFY(spinUntil([&t] { return t.board.isIdle(); }));
                t.board.grab().save(qEnvironmentVariable("RACCOLIO_GAME_SCREENSHOT"));
            }
        }

        const MemoryGame& game = t.game();
        QCOMPARE(game.pairsFound(), 18);
        for (int c = 1; c <= 36; ++c)
            QCOMPARE(game.state(c), CardState::Removed);
        QCOMPARE(game.score(1) + game.score(2), 180);
        QVERIFY(game.score(1) > 0);
        QVERIFY(game.score(2) > 0);  // the computer found pairs of its own
        QVERIFY(computerTurnsSeen > 0);
        QCOMPARE(t.folder.messages.count(), 2);
        QCOMPARE(t.folder.messages.lastText(),
                 gameOverText(MemoryGame::Mode::PlayerVsComputer, game.score(1), game.score(2)));
        QCOMPARE(label(t.board, "score(0)"), QString::number(game.score(1)));
        QCOMPARE(label(t.board, "score(1)"), QString::number(game.score(2)));
        QCOMPARE(label(t.board, "round"), QString::number(game.moves()));
        QVERIFY(!action(t.board, "show_cards")->isEnabled());
        QCOMPARE(t.board.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(picture(t.cellImage(36)), picture(CardPictures::blank()));
        // No new game starts by itself, and the board takes no more picks.
        t.click(1);
        QTest::qWait(20);
        QCOMPARE(t.folder.messages.count(), 2);
        QVERIFY(t.board.isIdle());
    }
};

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
