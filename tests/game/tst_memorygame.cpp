#include <QTest>
#include <random>

#include "game/MemoryGame.h"
#include "game/ScriptedChance.h"

namespace {

using Kind = GameStep::Kind;
using Mode = MemoryGame::Mode;
using Timer = MemoryGame::Timer;
using Steps = std::vector<GameStep>;

GameStep step(Kind kind, int value = 0, int amount = 0, const QString& text = {}) {
    return {kind, value, amount, text};
}
GameStep status(const char* text) {
    return step(Kind::Status, 0, 0, QString::fromUtf8(text));
}
GameStep timer(Kind kind, Timer t) {
    return step(kind, int(t));
}
GameStep showCards(bool on) {
    return step(Kind::ShowCardsEnabled, on ? 1 : 0);
}

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

    QPoint centre(int cell) const {
        const int n = game.size();
        return {((cell - 1) % n) * 32 + 16, ((cell - 1) / n) * 32 + 16};
    }
    Steps click(int cell) {
        const QPoint at = centre(cell);
        game.pick(at.x(), at.y());
        return game.takeSteps();
    }
    Steps fire(Timer t) {
        game.timerFired(t);
        return game.takeSteps();
    }
    QList<int> faces() const {
        QList<int> f{-1};
        for (int c = 1; c <= game.cellCount(); ++c)
            f << game.face(c);
        return f;
    }
};

char* describe(const GameStep& s) {
    return qstrdup(QStringLiteral("{kind %1, value %2, amount %3, \"%4\"}")
                       .arg(int(s.kind))
                       .arg(s.value)
                       .arg(s.amount)
                       .arg(s.text)
                       .toUtf8()
                       .constData());
}

}  // namespace

namespace QTest {
template <>
char* toString(const GameStep& s) {
    return describe(s);
}
}  // namespace QTest

class TestMemoryGame : public QObject {
    Q_OBJECT

    static void compareSteps(const Steps& actual, const Steps& expected) {
        QCOMPARE(QList<GameStep>(actual.begin(), actual.end()),
                 QList<GameStep>(expected.begin(), expected.end()));
    }

private slots:
    void opensOnTheDefaultBoard() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        QCOMPARE(game.size(), 8);
        QCOMPARE(game.mode(), Mode::PlayerVsComputer);
        QCOMPARE(game.memory(), ComputerPlayer::Memory::Discreta);
        QCOMPARE(game.computer().threshold(), 300.f);
        QCOMPARE(game.computer().initialRate(), 200.f);
        QVERIFY(game.leastSeen());
        QCOMPARE(game.playerName(1), QStringLiteral("Player 1:"));
        QCOMPARE(game.playerName(2), QStringLiteral("Computer:"));
        QCOMPARE(game.status(), QStringLiteral("E' il tuo turno..."));
        QVERIFY(!game.dealt());
        // Nothing to pick before the first deal.
        game.pick(10, 10);
        QCOMPARE(game.cardsTurned(), 0);
        QCOMPARE(game.state(1), CardState::Down);
    }

    void eachPictureLiesOnFourCards_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("pictures");
        QTest::newRow("6x6") << 6 << 9;
        QTest::newRow("8x8") << 8 << 16;
        QTest::newRow("10x10") << 10 << 25;
    }
    void eachPictureLiesOnFourCards() {
        QFETCH(int, size);
        QFETCH(int, pictures);
        std::mt19937 engine(7);
        std::uniform_real_distribution<double> uniform(0, 1);
        MemoryGame game({[&] { return uniform(engine); }, [] { return QTime(13, 47, 59); }});
        if (!game.chooseBoardSize(size))
            game.newGame();
        for (int deal = 0; deal < 3; ++deal) {
            QList<int> count(25, 0);
            for (int c = 1; c <= size * size; ++c) {
                QVERIFY(game.face(c) >= 0);
                QVERIFY(game.face(c) < pictures);
                ++count[game.face(c)];
                QCOMPARE(game.state(c), CardState::Down);
            }
            for (int v = 0; v < 25; ++v)
                QCOMPARE(count[v], v < pictures ? 4 : 0);
            game.newGame();
        }
    }

    void theDealFollowsTheDraws() {
        Table t(6, stripeLayout(6));
        QCOMPARE(t.faces(), stripeLayout(6));
        QCOMPARE(t.chance.pending(), 0);
    }

    void theGeneratorIsStirredByTheClock() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        game.chooseBoardSize(6);
        const int before = chance.drawn();
        chance.time = QTime(10, 2, 3);  // 2 × 3 + 1 draws discarded
        chance.queueDeal(blockLayout(6));
        game.newGame();
        QCOMPARE(chance.drawn() - before, 7 + 36);
        QCOMPARE(chance.pending(), 0);
        QList<int> faces{-1};
        for (int c = 1; c <= 36; ++c)
            faces << game.face(c);
        QCOMPARE(faces, blockLayout(6));
    }

    void aDrawOfADealtCellIsDrawnAgain() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        game.chooseBoardSize(6);
        chance.queueValue(0.5);  // stirring
        QList<int> cells{1, 1, 2, 2, 3, 4};
        for (int c = 5; c <= 36; ++c)
            cells << c;
        chance.queueCells(cells, 36);
        const int before = chance.drawn();
        game.newGame();
        QCOMPARE(chance.drawn() - before, 1 + 38);
        for (int c = 1; c <= 36; ++c)
            QCOMPARE(game.face(c), (c - 1) / 4);
    }

    void aNewGameShowsAFreshBoard() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        chance.queueDeal(blockLayout(8));
        game.newGame();
        const Steps steps = game.takeSteps();
        compareSteps(steps, {timer(Kind::StopTimer, Timer::TimeOver),
                             timer(Kind::StopTimer, Timer::NextTurn),
                             timer(Kind::StopTimer, Timer::ComTimer), step(Kind::Score, 1, 0),
                             step(Kind::Score, 2, 0), status("E' il tuo turno."),
                             step(Kind::Round, 0, 1), showCards(true), step(Kind::DefaultPointer)});
        QVERIFY(game.dealt());
        QCOMPARE(game.moves(), 1);
        QCOMPARE(game.currentPlayer(), 1);
    }

    void picksTurnCardsAndStartTheTimers() {
        Table t(6, stripeLayout(6));
        compareSteps(t.click(1), {showCards(false), step(Kind::TurnUp, 1),
                                  timer(Kind::StartTimer, Timer::TimeOver)});
        QCOMPARE(t.game.state(1), CardState::Up);
        QCOMPARE(t.game.computer().strength(1), 1000.f);
        QCOMPARE(t.game.cardsTurned(), 1);
        compareSteps(t.click(2), {showCards(false), timer(Kind::StopTimer, Timer::TimeOver),
                                  step(Kind::TurnUp, 2), timer(Kind::StartTimer, Timer::NextTurn)});
        QCOMPARE(t.game.cardsTurned(), 2);
        QVERIFY(!t.game.timerArmed(Timer::TimeOver));
        QVERIFY(t.game.timerArmed(Timer::NextTurn));
        // Two cards up: a third click is ignored.
        QVERIFY(t.click(3).empty());
        QCOMPARE(t.game.state(3), CardState::Down);
    }

    void theSameCardTwiceTurnsOnce() {
        Table t(6, stripeLayout(6));
        t.click(5);
        QVERIFY(t.click(5).empty());
        QCOMPARE(t.game.cardsTurned(), 1);
        QCOMPARE(t.game.computer().strength(5), 1000.f);
    }

    void clicksOutsideTheBoardAreIgnored() {
        Table t(6, stripeLayout(6));
        const int edge = 6 * 32;
        for (QPoint outside :
             {QPoint(edge, 5), QPoint(5, edge), QPoint(-1, 5), QPoint(5, -1), QPoint(edge, edge)}) {
            t.game.pick(outside.x(), outside.y());
            QVERIFY(t.game.takeSteps().empty());
        }
        QCOMPARE(t.game.cellAt(edge - 1, edge - 1), 36);
        QCOMPARE(t.game.cellAt(0, 0), 1);
        QCOMPARE(t.game.cellAt(32, 0), 2);
        QCOMPARE(t.game.cellAt(0, 32), 7);
        t.game.pick(edge - 1, edge - 1);
        QCOMPARE(t.game.state(36), CardState::Up);
    }

    void aPairScoresAndThePlayerGoesOn() {
        Table t(6, blockLayout(6));
        t.click(1);
        t.click(3);
        compareSteps(t.fire(Timer::NextTurn), {step(Kind::Remove, 1), step(Kind::Remove, 3),
                                               step(Kind::Score, 1, 10), showCards(true)});
        QCOMPARE(t.game.state(1), CardState::Removed);
        QCOMPARE(t.game.computer().strength(1), 0.f);
        QCOMPARE(t.game.pairsFound(), 1);
        QCOMPARE(t.game.score(1), 10);
        QCOMPARE(t.game.currentPlayer(), 1);
        QCOMPARE(t.game.cardsTurned(), 0);
        QCOMPARE(t.game.moves(), 1);
        // A removed card cannot be picked.
        QVERIFY(t.click(1).empty());
        t.click(2);
        t.click(4);
        t.fire(Timer::NextTurn);
        QCOMPARE(t.game.score(1), 20);
    }

    void theMoveCounterAdvancesAfterPlayerTwo() {
        Table t(6, blockLayout(6), Mode::PlayerVsPlayer);
        t.click(1);
        t.click(5);
        compareSteps(t.fire(Timer::NextTurn), {step(Kind::TurnDown, 1), step(Kind::TurnDown, 5),
                                               status("Turno di Player 2"), showCards(true)});
        QCOMPARE(t.game.currentPlayer(), 2);
        QCOMPARE(t.game.moves(), 1);
        // Player 2 finds a pair and plays again; still the first move.
        t.click(1);
        t.click(2);
        t.fire(Timer::NextTurn);
        QCOMPARE(t.game.currentPlayer(), 2);
        QCOMPARE(t.game.score(2), 10);
        QCOMPARE(t.game.moves(), 1);
        t.click(3);
        t.click(5);
        compareSteps(t.fire(Timer::NextTurn),
                     {step(Kind::TurnDown, 3), step(Kind::TurnDown, 5), step(Kind::Round, 0, 2),
                      showCards(true), status("Turno di Player 1")});
        QCOMPARE(t.game.currentPlayer(), 1);
        QCOMPARE(t.game.moves(), 2);
        QCOMPARE(t.game.cardsTurned(), 0);
    }

    void aTimeOutCostsFivePointsAndTheTurn() {
        Table t(6, blockLayout(6), Mode::PlayerVsPlayer);
        t.click(7);
        compareSteps(t.fire(Timer::TimeOver),
                     {step(Kind::Beep), step(Kind::Score, 1, -5), status("Tempo scaduto..."),
                      step(Kind::TurnDown, 7), status("Turno di Player 2"), showCards(true)});
        QCOMPARE(t.game.state(7), CardState::Down);
        QCOMPARE(t.game.score(1), -5);
        QVERIFY(t.game.timedOut());
        QCOMPARE(t.game.currentPlayer(), 2);
        QCOMPARE(t.game.cardsTurned(), 0);
        // Scores can go below zero; the flag lasts until the next second card.
        t.click(9);
        t.fire(Timer::TimeOver);
        QCOMPARE(t.game.score(2), -5);
        QCOMPARE(t.game.moves(), 2);
        t.click(1);
        QVERIFY(t.game.timedOut());
        t.click(2);
        QVERIFY(!t.game.timedOut());
        t.fire(Timer::NextTurn);
        QCOMPARE(t.game.score(1), 5);
    }

    void aTimeOutAgainstTheComputerHandsItTheTurn() {
        Table t(6, stripeLayout(6));
        t.click(1);
        t.chance.queueCells({2, 3}, 36);
        const Steps steps = t.fire(Timer::TimeOver);
        compareSteps(steps, {step(Kind::Beep), step(Kind::Score, 1, -5), status("Tempo scaduto..."),
                             step(Kind::TurnDown, 1), step(Kind::BusyPointer),
                             status("Il computer sta pensando..."), step(Kind::TurnUp, 2),
                             step(Kind::TurnUp, 3), timer(Kind::StartTimer, Timer::ComTimer)});
        QCOMPARE(t.game.currentPlayer(), 2);
    }

    void theComputerPlaysAgainAfterAPair() {
        Table t(6, stripeLayout(6));  // partners lie 9 cells apart
        t.click(1);
        t.click(2);
        // Rejected: 1 (seen), 3 is taken; rejected: 3 (taken), 2 (seen); 12 matches 3.
        t.chance.queueCells({1, 3, 3, 2, 12}, 36);
        compareSteps(t.fire(Timer::NextTurn),
                     {step(Kind::TurnDown, 1), step(Kind::TurnDown, 2), step(Kind::BusyPointer),
                      status("Il computer sta pensando..."), step(Kind::TurnUp, 3),
                      step(Kind::TurnUp, 12), timer(Kind::StartTimer, Timer::ComTimer)});
        QCOMPARE(t.chance.pending(), 0);
        QCOMPARE(t.game.computer().strength(1), 640.f);
        QCOMPARE(t.game.cardsTurned(), 2);
        // The human cannot pick during the computer's turn.
        QVERIFY(t.click(20).empty());

        t.chance.queueCells({4, 5}, 36);
        compareSteps(
            t.fire(Timer::ComTimer),
            {step(Kind::Remove, 3), step(Kind::Remove, 12), step(Kind::Score, 2, 10),
             step(Kind::BusyPointer), status("Il computer sta pensando..."), step(Kind::TurnUp, 4),
             step(Kind::TurnUp, 5), timer(Kind::StartTimer, Timer::ComTimer)});
        QCOMPARE(t.game.computer().strength(1), 290.f);  // 640 - 180 - 17/18 × 180
        QCOMPARE(t.game.pairsFound(), 1);
        QCOMPARE(t.game.moves(), 1);

        compareSteps(t.fire(Timer::ComTimer),
                     {step(Kind::TurnDown, 4), step(Kind::TurnDown, 5), step(Kind::Round, 0, 2),
                      status("E' il tuo turno..."), showCards(true), step(Kind::DefaultPointer)});
        QCOMPARE(t.game.currentPlayer(), 1);
        QCOMPARE(t.game.cardsTurned(), 0);
        QCOMPARE(t.game.moves(), 2);
        QCOMPARE(t.chance.pending(), 0);
    }

    void theComputerPlaysWhatItRemembers() {
        Table t(6, stripeLayout(6));  // partners lie 9 cells apart
        t.click(2);
        t.click(3);
        t.chance.queueCells({1, 4}, 36);
        t.fire(Timer::NextTurn);
        t.fire(Timer::ComTimer);  // its own try: 1 and 4
        t.click(10);              // the partner of 1
        t.click(5);
        const int drawn = t.chance.drawn();
        compareSteps(t.fire(Timer::NextTurn),
                     {step(Kind::TurnDown, 10), step(Kind::TurnDown, 5), step(Kind::BusyPointer),
                      status("Il computer sta pensando..."), step(Kind::TurnUp, 1),
                      step(Kind::TurnUp, 10), timer(Kind::StartTimer, Timer::ComTimer)});
        QCOMPARE(t.chance.drawn(), drawn);  // nothing left to chance
        QCOMPARE(t.game.computer().strength(1), 1640.f);
    }

    void aNewGameStopsEveryPendingTimer() {
        Table t(6, stripeLayout(6));
        t.click(1);
        t.click(2);
        t.chance.queueDeal(blockLayout(6));
        t.game.newGame();
        t.game.takeSteps();
        for (Timer stale : {Timer::TimeOver, Timer::NextTurn, Timer::ComTimer}) {
            QVERIFY(!t.game.timerArmed(stale));
            QVERIFY(t.fire(stale).empty());
        }
        QCOMPARE(t.game.state(1), CardState::Down);
        QCOMPARE(t.game.state(2), CardState::Down);

        // In the middle of the computer's turn.
        t.click(1);
        t.click(5);
        t.fire(Timer::NextTurn);
        QVERIFY(t.game.timerArmed(Timer::ComTimer));
        t.chance.queueDeal(blockLayout(6));
        t.game.newGame();
        const Steps steps = t.game.takeSteps();
        QCOMPARE(steps.back(), step(Kind::DefaultPointer));  // no hourglass left behind
        QVERIFY(t.fire(Timer::ComTimer).empty());
        QCOMPARE(t.game.currentPlayer(), 1);
        QCOMPARE(t.game.cardsTurned(), 0);
        QVERIFY(t.fire(Timer::TimeOver).empty());  // a timer never started does nothing
    }

    void aLevelGameEndsInATie() {
        Table t(6, blockLayout(6), Mode::PlayerVsPlayer);
        // Player 1 lets the time run out; then each player finds a pair and lets the
        // time run out, in turn: nine pairs and nine time-outs each.
        t.click(1);
        t.fire(Timer::TimeOver);
        Steps last;
        for (int k = 1; k <= 18; ++k) {
            QCOMPARE(t.game.currentPlayer(), k % 2 == 1 ? 2 : 1);
            t.click(2 * k - 1);
            t.click(2 * k);
            last = t.fire(Timer::NextTurn);
            if (k < 18) {
                QCOMPARE(t.game.currentPlayer(), k % 2 == 1 ? 2 : 1);
                t.click(2 * k + 1);
                t.fire(Timer::TimeOver);
            }
        }
        QVERIFY(t.game.over());
        QCOMPARE(t.game.score(1), 45);
        QCOMPARE(t.game.score(2), 45);
        QCOMPARE(t.game.pairsFound(), 18);
        const QString tie = QStringLiteral("Gioco in inizializzazione...");
        compareSteps(last, {step(Kind::Remove, 35), step(Kind::Remove, 36),
                            step(Kind::Score, 1, 45), step(Kind::DefaultPointer), step(Kind::Beep),
                            step(Kind::GameOver, 0, 0, tie), showCards(false)});
        QVERIFY(!t.game.showCardsEnabled());
        QCOMPARE(t.game.cardsTurned(), 2);
        QVERIFY(t.click(1).empty());
    }

    void theHumanCanWinAgainstTheComputer() {
        Table t(6, blockLayout(6));
        Steps last;
        for (int c = 1; c <= 36; c += 2) {
            t.click(c);
            t.click(c + 1);
            last = t.fire(Timer::NextTurn);
        }
        QCOMPARE(last.at(last.size() - 2), step(Kind::GameOver, 0, 0, QStringLiteral("You win.")));
        QCOMPARE(t.game.score(1), 180);
        QCOMPARE(t.game.moves(), 1);
    }

    void theFiveEndings() {
        const Mode pvc = Mode::PlayerVsComputer;
        const Mode pvp = Mode::PlayerVsPlayer;
        QCOMPARE(gameOverText(pvc, 50, 50), QStringLiteral("Gioco in inizializzazione..."));
        QCOMPARE(gameOverText(pvp, -5, -5), QStringLiteral("Gioco in inizializzazione..."));
        QCOMPARE(gameOverText(pvc, 60, 40), QStringLiteral("You win."));
        QCOMPARE(gameOverText(pvc, 40, 60), QStringLiteral("Il tuo Computer ti ha battuto..."));
        QCOMPARE(gameOverText(pvp, 60, 40), QStringLiteral("Player 1 ha vinto!"));
        QCOMPARE(gameOverText(pvp, 40, 60), QStringLiteral("Player 2 ha vinto!"));
    }

    void showingTheCardsEndsThePlay() {
        Table t(6, blockLayout(6));
        t.click(1);
        t.game.showCards();  // not during a try
        QVERIFY(t.game.takeSteps().empty());
        t.click(3);
        t.fire(Timer::NextTurn);  // a pair
        QVERIFY(t.game.showCardsEnabled());
        t.game.showCards();
        const Steps steps = t.game.takeSteps();
        QCOMPARE(steps.front(), step(Kind::BusyPointer));
        QCOMPARE(steps.at(1), showCards(false));
        QCOMPARE(steps.at(2), step(Kind::Reveal, 2));
        QCOMPARE(steps.back(), step(Kind::DefaultPointer));
        QCOMPARE(steps.size(), std::size_t(34 + 3));
        for (int c = 1; c <= 36; ++c) {
            QCOMPARE(t.game.state(c), c == 1 || c == 3 ? CardState::Removed : CardState::Up);
            if (c != 1 && c != 3)
                QCOMPARE(t.game.computer().strength(c), 0.f);
        }
        QVERIFY(t.click(2).empty());
        t.game.showCards();
        QVERIFY(t.game.takeSteps().empty());
    }

    void theMenus() {
        ScriptedChance chance;
        MemoryGame game(chance.chance());
        QVERIFY(!game.chooseBoardSize(8));
        QVERIFY(!game.dealt());
        QVERIFY(!game.chooseBoardSize(7));
        QVERIFY(game.chooseBoardSize(10));
        QCOMPARE(game.size(), 10);
        QVERIFY(game.dealt());

        QVERIFY(!game.chooseMode(Mode::PlayerVsComputer));
        QVERIFY(game.chooseMode(Mode::PlayerVsPlayer));
        QCOMPARE(game.playerName(1), QStringLiteral("Player 1"));
        QCOMPARE(game.playerName(2), QStringLiteral("Player 2"));
        QCOMPARE(game.status(), QStringLiteral("Turno di Player 1"));
        QVERIFY(game.chooseMode(Mode::PlayerVsComputer));
        QCOMPARE(game.playerName(2), QStringLiteral("Computer"));

        QVERIFY(!game.chooseMemory(ComputerPlayer::Memory::Discreta));
        QVERIFY(game.chooseMemory(ComputerPlayer::Memory::Scarsa));
        QCOMPARE(game.computer().threshold(), 100.f);
        QCOMPARE(game.computer().rate(100), 150.f);
        QVERIFY(game.chooseMemory(ComputerPlayer::Memory::Eccellente));
        QCOMPARE(game.computer().threshold(), 500.f);
        QCOMPARE(game.computer().rate(1), 250.f);

        // The hidden preference starts no game.
        game.takeSteps();
        const int face = game.face(1);
        game.chooseLeastSeen(false);
        QVERIFY(!game.leastSeen());
        QVERIFY(game.takeSteps().empty());
        QCOMPARE(game.face(1), face);
        game.chooseLeastSeen(true);
        QVERIFY(game.leastSeen());
    }
};

QTEST_GUILESS_MAIN(TestMemoryGame)
#include "tst_memorygame.moc"
