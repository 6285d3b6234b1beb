#include <QTest>
#include <random>

#include "game/MemoryGame.h"
#include "game/ScriptedChance.h"

namespace {

using Mode = MemoryGame::Mode;
using Timer = MemoryGame::Timer;

// A game on a board of `size` with a known deal; the steps of the deal are taken.
struct Table {
    ScriptedChance chance;
    MemoryGame game{chance.chance()};

    Table(int size, const QList<int>& layout, Mode mode = Mode::PlayerVsComputer) {
        game.chooseBoardSize(size);
        game.chooseMode(mode);
        chance.queueDeal(layout);
        game.newGame();
        game.takeSteps();
    }
    // Whether the click changed anything.
    bool click(int cell) {
        const int n = game.size();
        game.pick(((cell - 1) % n) * 32 + 16, ((cell - 1) / n) * 32 + 16);
        return !game.takeSteps().empty();
    }
    std::vector<GameStep> fire(Timer t) {
        game.timerFired(t);
        return game.takeSteps();
    }
    // A human try: two clicks, then the pause before the next turn.
    void humanTry(int first, int second) {
        click(first);
        click(second);
        fire(Timer::NextTurn);
    }
};

bool hasStep(const std::vector<GameStep>& steps, GameStep::Kind kind, const QString& text = {}) {
    return std::any_of(steps.begin(), steps.end(), [&](const GameStep& s) {
        return s.kind == kind && (text.isEmpty() || s.text == text);
    });
}

}  // namespace

class TestMemoryGame : public QObject {
    Q_OBJECT

private slots:
    void eachPictureLiesOnFourCards() {
        std::mt19937 engine(7);
        std::uniform_real_distribution<double> uniform(0, 1);
        MemoryGame game({[&] { return uniform(engine); }, [] { return QTime(13, 47, 59); }});
        for (int size : {6, 8, 10}) {
            QVERIFY(game.chooseBoardSize(size));  // deals
            for (int deal = 0; deal < 3; ++deal) {
                QList<int> count(25, 0);
                for (int c = 1; c <= size * size; ++c)
                    ++count[game.face(c)];
                for (int v = 0; v < 25; ++v)
                    QCOMPARE(count[v], v < size * size / 4 ? 4 : 0);
                game.newGame();
            }
        }
    }

    // The clock stirs the generator (minute × second + 1 draws); a draw naming a cell
    // already dealt is drawn again.
    void theDealFollowsTheDraws() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        game.chooseBoardSize(6);
        chance.time = QTime(10, 2, 3);
        for (int i = 0; i < 7; ++i)
            chance.queueValue(0.999);
        QList<int> cells{1, 1, 2, 2};
        for (int c = 3; c <= 36; ++c)
            cells << c;
        chance.queueCells(cells, 36);
        const int before = chance.drawn();
        game.newGame();
        QCOMPARE(chance.drawn() - before, 7 + 38);
        for (int c = 1; c <= 36; ++c)
            QCOMPARE(game.face(c), (c - 1) / 4);
    }

    void ignoredPicks() {
        Table t(6, blockLayout(6));
        const int edge = 6 * 32;
        for (QPoint outside :
             {QPoint(edge, 5), QPoint(5, edge), QPoint(-1, 5), QPoint(5, -1), QPoint(edge, edge)}) {
            t.game.pick(outside.x(), outside.y());
            QVERIFY(t.game.takeSteps().empty());
        }
        QVERIFY(t.click(36));
        QVERIFY(!t.click(36));  // already up
        QVERIFY(t.click(5));
        QVERIFY(!t.click(1));  // two cards up
        t.fire(Timer::NextTurn);
        // The computer's turn: its two cards are up.
        QCOMPARE(t.game.currentPlayer(), 2);
        QVERIFY(!t.click(1));
        QCOMPARE(t.game.computer().strength(36), 640.f);  // seen once, one decay
    }

    // Player vs player: +10 per pair and the same player again; the move counter
    // advances when the turn comes back to Player 1.
    void pairsTurnsAndMoves() {
        Table t(6, blockLayout(6), Mode::PlayerVsPlayer);
        t.humanTry(1, 5);
        QCOMPARE(t.game.currentPlayer(), 2);
        t.humanTry(1, 2);
        t.humanTry(3, 4);
        QCOMPARE(t.game.currentPlayer(), 2);
        QCOMPARE(t.game.score(2), 20);
        QCOMPARE(t.game.state(1), CardState::Removed);
        QVERIFY(!t.click(1));
        QCOMPARE(t.game.moves(), 1);
        t.humanTry(5, 9);
        QCOMPARE(t.game.currentPlayer(), 1);
        QCOMPARE(t.game.moves(), 2);
    }

    void aTimeOutCostsFivePointsAndTheTurn() {
        Table t(6, blockLayout(6), Mode::PlayerVsPlayer);
        t.click(7);
        t.fire(Timer::TimeOver);
        QCOMPARE(t.game.state(7), CardState::Down);
        QCOMPARE(t.game.currentPlayer(), 2);
        t.click(9);
        t.fire(Timer::TimeOver);
        QCOMPARE(t.game.score(1), -5);
        QCOMPARE(t.game.score(2), -5);
        QCOMPARE(t.game.moves(), 2);
    }

    void theComputerPlaysAgainAfterAPairAndUsesWhatItSaw() {
        Table t(6, stripeLayout(6));  // partners lie 9 cells apart
        t.click(1);
        t.click(2);
        // Rejected: 1 (seen), 3 is taken; rejected: 3 (taken), 2 (seen); 12 matches 3.
        // Then the pair 4-13 and the miss 5-6.
        t.chance.queueCells({1, 3, 3, 2, 12, 4, 13, 5, 6}, 36);
        t.fire(Timer::NextTurn);
        t.fire(Timer::ComTimer);
        t.fire(Timer::ComTimer);
        QCOMPARE(t.game.score(2), 20);
        t.fire(Timer::ComTimer);
        QCOMPARE(t.game.currentPlayer(), 1);
        QCOMPARE(t.game.moves(), 2);
        QCOMPARE(t.chance.pending(), 0);
        // Player 1 turns the partners of 5 and 6; the computer takes 5-14 unprompted.
        t.humanTry(14, 15);
        const int drawn = t.chance.drawn();
        t.fire(Timer::ComTimer);
        QCOMPARE(t.game.state(5), CardState::Removed);
        QCOMPARE(t.game.state(14), CardState::Removed);
        QCOMPARE(t.chance.drawn(), drawn);
    }

    void aNewGameStopsEveryPendingTimer() {
        Table t(6, stripeLayout(6));
        for (bool computersTurn : {false, true}) {
            t.click(1);
            t.click(2);
            if (computersTurn)
                t.fire(Timer::NextTurn);
            t.chance.queueDeal(blockLayout(6));
            t.game.newGame();
            QVERIFY(t.game.takeSteps().back().kind == GameStep::Kind::DefaultPointer);
            for (Timer stale : {Timer::TimeOver, Timer::NextTurn, Timer::ComTimer})
                QVERIFY(t.fire(stale).empty());
            QCOMPARE(t.game.currentPlayer(), 1);
            QCOMPARE(t.game.cardsTurned(), 0);
            for (int c = 1; c <= 36; ++c)
                QCOMPARE(t.game.state(c), CardState::Down);
        }
    }

    void theLastPairEndsTheGame() {
        Table t(6, blockLayout(6));
        for (int c = 1; c < 35; c += 2)
            t.humanTry(c, c + 1);
        QVERIFY(!t.game.over());
        t.click(35);
        t.click(36);
        QVERIFY(hasStep(t.fire(Timer::NextTurn), GameStep::Kind::GameOver, "You win."));
        QVERIFY(t.game.over());
        QCOMPARE(t.game.score(1), 180);
        QVERIFY(!t.game.showCardsEnabled());
    }

    // A tie reads the same in both modes; every other outcome has words of its own.
    void theFiveEndings() {
        const Mode pvc = Mode::PlayerVsComputer;
        const Mode pvp = Mode::PlayerVsPlayer;
        QCOMPARE(gameOverText(pvc, 50, 50), gameOverText(pvp, -5, -5));
        const QStringList texts{gameOverText(pvc, 50, 50), gameOverText(pvc, 60, 40),
                                gameOverText(pvc, 40, 60), gameOverText(pvp, 60, 40),
                                gameOverText(pvp, 40, 60)};
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), 5);
        QVERIFY(texts[3].contains(u'1') && texts[4].contains(u'2'));
    }

    void showingTheCardsEndsThePlay() {
        Table t(6, blockLayout(6));
        t.click(1);
        t.game.showCards();  // not during a try
        QVERIFY(t.game.takeSteps().empty());
        t.click(3);
        t.fire(Timer::NextTurn);
        t.game.showCards();
        t.game.takeSteps();
        for (int c = 1; c <= 36; ++c)
            QCOMPARE(t.game.state(c), c == 1 || c == 3 ? CardState::Removed : CardState::Up);
        QVERIFY(!t.click(2));
    }

    void onlyANewChoiceStartsANewGame() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        QVERIFY(!game.chooseBoardSize(8));
        QVERIFY(!game.chooseBoardSize(7));
        QVERIFY(game.chooseBoardSize(10));
        QVERIFY(!game.chooseMode(Mode::PlayerVsComputer));
        QVERIFY(game.chooseMode(Mode::PlayerVsPlayer));
        QVERIFY(!game.chooseMemory(ComputerPlayer::Memory::Discreta));
        QVERIFY(game.chooseMemory(ComputerPlayer::Memory::Scarsa));
        game.takeSteps();
        game.chooseLeastSeen(false);
        QVERIFY(game.takeSteps().empty());
    }
};

QTEST_GUILESS_MAIN(TestMemoryGame)
#include "tst_memorygame.moc"
