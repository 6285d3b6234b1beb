#include <QTest>

#include "game/ComputerPlayer.h"
#include "game/ScriptedChance.h"

namespace {

using Memory = ComputerPlayer::Memory;

ComputerPlayer player(Memory memory, int cells = 36) {
    ComputerPlayer p;
    p.setMemory(memory);
    p.reset(cells);
    return p;
}

std::vector<qint16> faces(const QList<int>& layout) {
    return {layout.begin(), layout.end()};
}

std::vector<CardState> allDown(int cells) {
    return std::vector<CardState>(std::size_t(cells) + 1, CardState::Down);
}

// Strengths of one card at each of the computer's next turns, none found yet.
QList<float> fading(Memory memory, int turns) {
    ComputerPlayer p = player(memory);
    p.sawCard(1);
    QList<float> seen;
    for (int i = 0; i < turns; ++i) {
        p.decay(18, 0);
        seen << p.strength(1);
    }
    return seen;
}

}  // namespace

class TestComputerPlayer : public QObject {
    Q_OBJECT

private slots:
    void menuValues() {
        QCOMPARE(ComputerPlayer::thresholdOf(Memory::Scarsa), 100.f);
        QCOMPARE(ComputerPlayer::initialRateOf(Memory::Scarsa), 150.f);
        QCOMPARE(ComputerPlayer::thresholdOf(Memory::Discreta), 300.f);
        QCOMPARE(ComputerPlayer::initialRateOf(Memory::Discreta), 200.f);
        QCOMPARE(ComputerPlayer::thresholdOf(Memory::Eccellente), 500.f);
        QCOMPARE(ComputerPlayer::initialRateOf(Memory::Eccellente), 250.f);
        ComputerPlayer fresh;
        QCOMPARE(fresh.memory(), Memory::Discreta);
        QVERIFY(fresh.leastSeen());
    }

    void aSightingAddsStrengthAndSlowsForgetting() {
        ComputerPlayer p = player(Memory::Discreta);
        QCOMPARE(p.strength(5), 0.f);
        QCOMPARE(p.rate(5), 200.f);
        QCOMPARE(p.mark(5), -1);
        p.sawCard(5);
        QCOMPARE(p.strength(5), 1000.f);
        QCOMPARE(p.rate(5), 180.f);
        p.sawCard(5);
        QCOMPARE(p.strength(5), 2000.f);
        QCOMPARE(p.rate(5), 162.f);
    }

    // Part 8.2's edge cases: one sighting at the start of a game.
    void discretaRemembersOneTurn() {
        QCOMPARE(fading(Memory::Discreta, 2), (QList<float>{640, 280}));
        ComputerPlayer p = player(Memory::Discreta);
        p.sawCard(1);
        p.decay(18, 0);
        QVERIFY(p.remembers(1));
        p.decay(18, 0);
        QVERIFY(!p.remembers(1));
    }

    void scarsaRemembersThreeTurns() {
        QCOMPARE(fading(Memory::Scarsa, 5), (QList<float>{730, 460, 190, 0, 0}));
        ComputerPlayer p = player(Memory::Scarsa);
        p.sawCard(1);
        QList<bool> remembered;
        for (int i = 0; i < 4; ++i) {
            p.decay(18, 0);
            remembered << p.remembers(1);
        }
        QCOMPARE(remembered, (QList<bool>{true, true, true, false}));
    }

    void eccellenteRemembersOneTurn() {
        QCOMPARE(fading(Memory::Eccellente, 2), (QList<float>{550, 100}));
        ComputerPlayer p = player(Memory::Eccellente);
        p.sawCard(1);
        p.decay(18, 0);
        QVERIFY(p.remembers(1));
        p.decay(18, 0);
        QVERIFY(!p.remembers(1));
    }

    void theDecayWeighsThePairsLeft() {
        ComputerPlayer p = player(Memory::Eccellente);
        p.sawCard(1);   // rate 225
        p.decay(2, 1);  // 1000 - 225 - 1/2 × 225
        QCOMPARE(p.strength(1), 662.5f);
    }

    void memoryImprovesLateInTheGame() {
        ComputerPlayer p = player(Memory::Discreta);
        p.sawCard(1);
        p.decay(18, 9);  // 1000 - 180 - 90
        QCOMPARE(p.strength(1), 730.f);
        p.decay(18, 17);  // - 180 - 10
        QCOMPARE(p.strength(1), 540.f);
        p.decay(18, 18);  // - 180
        QCOMPARE(p.strength(1), 360.f);
    }

    void neverBelowZero() {
        ComputerPlayer p = player(Memory::Discreta);
        p.decay(18, 0);
        QCOMPARE(p.strength(3), 0.f);
    }

    void aRemovedCardIsNeverRemembered() {
        // Cells 1 and 2 are a pair, both well remembered, then removed.
        ComputerPlayer p = player(Memory::Discreta, 4);
        p.setLeastSeen(false);
        for (int k : {1, 2}) {
            p.sawCard(k);
            p.sawCard(k);
            p.forget(k);
        }
        QCOMPARE(p.strength(1), 0.f);
        auto states = allDown(4);
        states[1] = states[2] = CardState::Removed;
        ScriptedChance chance;
        chance.queueCells({1, 2, 3, 1, 2, 4}, 4);
        const auto t = p.chooseTry(faces({-1, 0, 0, 1, 1}), states, 2, 1, chance.chance().random);
        QCOMPARE(t.first, 3);
        QCOMPARE(t.second, 4);
        QVERIFY(!p.remembers(1));
        QCOMPARE(chance.pending(), 0);
    }

    void theFirstRememberedPairInCellOrderWins() {
        // Pictures: cells 2 and 7 show picture 1, cells 4 and 9 picture 2; all four seen.
        QList<int> layout{-1, 0, 1, 0, 2, 3, 3, 1, 0, 2, 0, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8};
        while (layout.size() < 37)
            layout << 8;
        ComputerPlayer p = player(Memory::Discreta);
        for (int k : {9, 4, 7, 2})
            p.sawCard(k);
        ScriptedChance chance;
        const auto t = p.chooseTry(faces(layout), allDown(36), 18, 0, chance.chance().random);
        QCOMPARE(t.first, 2);
        QCOMPARE(t.second, 7);
        QCOMPARE(chance.drawn(), 0);     // no card left to chance
        QCOMPARE(p.strength(2), 640.f);  // the turn began with a decay
    }

    void aPairForgottenInTheDecayIsNotPlayed() {
        const QList<int> layout = stripeLayout(6);  // 1 and 10 show picture 0
        ComputerPlayer p = player(Memory::Discreta);
        p.sawCard(1);
        p.sawCard(10);
        p.decay(18, 0);  // 640: the decay of this turn brings them to 280
        ScriptedChance chance;
        chance.queueCells({5, 6}, 36);
        const auto t = p.chooseTry(faces(layout), allDown(36), 18, 0, chance.chance().random);
        QCOMPARE(t.first, 5);
        QCOMPARE(t.second, 6);
    }

    void aRememberedPartnerOfTheFirstPick() {
        const QList<int> layout = stripeLayout(6);  // 3 and 12 show picture 2
        ComputerPlayer p = player(Memory::Discreta);
        p.setLeastSeen(false);
        p.sawCard(12);
        ScriptedChance chance;
        chance.queueCells({3}, 36);
        const auto t = p.chooseTry(faces(layout), allDown(36), 18, 0, chance.chance().random);
        QCOMPARE(t.first, 3);
        QCOMPARE(t.second, 12);
        QCOMPARE(chance.drawn(), 1);
    }

    void leastSeenCardsAreChosenForBothPicks() {
        const QList<int> layout = stripeLayout(6);
        ComputerPlayer p = player(Memory::Discreta);
        // Seen long ago (forgotten, but their rates are lower): 1, 2, 5, 6.
        for (int k : {1, 2, 5, 6})
            p.sawCard(k);
        for (int i = 0; i < 3; ++i)
            p.decay(18, 0);
        ScriptedChance chance;
        // Rejected: 1 and 2 (seen); then 3. Rejected: 3 (the first pick), 5, 6 (seen); then 4.
        chance.queueCells({1, 2, 3, 3, 5, 6, 4}, 36);
        const auto t = p.chooseTry(faces(layout), allDown(36), 18, 0, chance.chance().random);
        QCOMPARE(t.first, 3);
        QCOMPARE(t.second, 4);
        QCOMPARE(chance.pending(), 0);
        QCOMPARE(p.mark(1), 0);
        QCOMPARE(p.mark(5), 0);
        QCOMPARE(p.mark(4), -1);
    }

    void theLeastSeenAreTheFaceDownCellsSeenFewestTimes() {
        ComputerPlayer p = player(Memory::Discreta, 4);
        p.sawCard(1);
        p.sawCard(2);
        p.sawCard(2);
        p.sawCard(3);
        p.sawCard(3);
        p.sawCard(4);
        p.sawCard(4);
        auto states = allDown(4);
        states[1] = CardState::Removed;  // the highest rate, but not face down
        p.markLeastSeen(states);
        QCOMPARE((QList<int>{p.mark(1), p.mark(2), p.mark(3), p.mark(4)}),
                 (QList<int>{0, -1, -1, -1}));
    }

    void withoutTheLeastSeenRuleASeenCardMayBeChosen() {
        const QList<int> layout = stripeLayout(6);
        ComputerPlayer p = player(Memory::Discreta);
        p.sawCard(1);
        p.sawCard(2);
        p.decay(18, 0);
        p.decay(18, 0);  // forgotten
        p.setLeastSeen(false);
        ScriptedChance chance;
        chance.queueCells({1, 1, 2}, 36);
        const auto t = p.chooseTry(faces(layout), allDown(36), 18, 0, chance.chance().random);
        QCOMPARE(t.first, 1);
        QCOMPARE(t.second, 2);  // 1 again is rejected: it is the first pick
    }

    void onlyFaceDownCellsAreDrawn() {
        const QList<int> layout = stripeLayout(6);
        ComputerPlayer p = player(Memory::Discreta);
        p.setLeastSeen(false);
        auto states = allDown(36);
        states[1] = CardState::Removed;
        states[2] = CardState::Up;
        ScriptedChance chance;
        chance.queueCells({1, 2, 7, 2, 1, 8}, 36);
        const auto t = p.chooseTry(faces(layout), states, 18, 0, chance.chance().random);
        QCOMPARE(t.first, 7);
        QCOMPARE(t.second, 8);
    }

    void switchingTheRuleOffFreesEveryCell() {
        ComputerPlayer p = player(Memory::Discreta);
        p.sawCard(1);
        p.markLeastSeen(allDown(36));
        QCOMPARE(p.mark(1), 0);
        p.setLeastSeen(false);
        QCOMPARE(p.mark(1), -1);
        p.markLeastSeen(allDown(36));
        p.setLeastSeen(true);  // recomputed only at the next turn
        QCOMPARE(p.mark(1), 0);
        QVERIFY(p.leastSeen());
    }

    void drawnCells() {
        QCOMPARE(drawCell(36, 0), 1);
        QCOMPARE(drawCell(36, 0.999999), 36);
        QCOMPARE(drawCell(36, 1.0 / 36), 2);
        QCOMPARE(drawCell(36, 1.0), 36);  // a faulty generator still names a cell
    }
};

QTEST_GUILESS_MAIN(TestComputerPlayer)
#include "tst_computerplayer.moc"
