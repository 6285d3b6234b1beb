#include <QTest>

#include "game/ComputerPlayer.h"
#include "game/ScriptedChance.h"

using Memory = ComputerPlayer::Memory;

class TestComputerPlayer : public QObject {
    Q_OBJECT

private slots:
    // One sighting at the start of a game, then one decay per computer turn.
    void aSightingFades_data() {
        QTest::addColumn<Memory>("memory");
        QTest::addColumn<QList<float>>("strengths");
        QTest::addColumn<int>("turnsRemembered");
        QTest::newRow("Discreta") << Memory::Discreta << QList<float>{640, 280} << 1;
        QTest::newRow("Scarsa") << Memory::Scarsa << QList<float>{730, 460, 190, 0, 0} << 3;
        QTest::newRow("Eccellente") << Memory::Eccellente << QList<float>{550, 100} << 1;
    }
    void aSightingFades() {
        QFETCH(Memory, memory);
        QFETCH(QList<float>, strengths);
        QFETCH(int, turnsRemembered);
        ComputerPlayer p;
        p.setMemory(memory);
        p.reset(36);
        p.sawCard(1);
        QList<float> seen;
        int remembered = 0;
        for (qsizetype i = 0; i < strengths.size(); ++i) {
            p.decay(18, 0);
            seen << p.strength(1);
            remembered += p.remembers(1) ? 1 : 0;
        }
        QCOMPARE(seen, strengths);
        QCOMPARE(remembered, turnsRemembered);
    }

    void theDecaySlowsAsPairsAreFound() {
        ComputerPlayer p;
        p.reset(36);
        p.sawCard(1);     // rate 180
        p.decay(18, 9);   // - 180 - 9/18 × 180
        p.decay(18, 18);  // - 180
        QCOMPARE(p.strength(1), 550.f);
    }

    // A computer try on the 6×6 stripe deal (partners lie 9 cells apart): the cells seen
    // before the turn, the decays since, the cards removed (forgotten) or up, and the
    // draws the try must use, no more and no fewer.
    void aTry_data() {
        QTest::addColumn<QList<int>>("seen");
        QTest::addColumn<int>("decays");
        QTest::addColumn<bool>("leastSeen");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QList<int>>("up");
        QTest::addColumn<QList<int>>("draws");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        const QList<int> none;
        QTest::newRow("first remembered pair in cell order")
            << QList<int>{13, 4, 11, 2} << 0 << true << none << none << none << 2 << 11;
        QTest::newRow("pair forgotten in this turn's decay")
            << QList<int>{1, 10} << 1 << false << none << none << QList<int>{5, 6} << 5 << 6;
        QTest::newRow("remembered partner of the first pick")
            << QList<int>{12} << 0 << false << none << none << QList<int>{3} << 3 << 12;
        QTest::newRow("removed pair never played")
            << QList<int>{1, 1, 10, 10} << 0 << false << QList<int>{1, 10} << none
            << QList<int>{1, 10, 3, 1, 4} << 3 << 4;
        QTest::newRow("least seen for both picks")
            << QList<int>{1, 2, 5, 6} << 3 << true << none << none
            << QList<int>{1, 2, 3, 3, 5, 6, 4} << 3 << 4;
        QTest::newRow("without least seen a forgotten card may come")
            << QList<int>{1, 2} << 2 << false << none << none << QList<int>{1, 1, 2} << 1 << 2;
        QTest::newRow("only face-down cells")
            << none << 0 << false << QList<int>{1} << QList<int>{2} << QList<int>{1, 2, 7, 2, 1, 8}
            << 7 << 8;
    }
    void aTry() {
        QFETCH(QList<int>, seen);
        QFETCH(int, decays);
        QFETCH(bool, leastSeen);
        QFETCH(QList<int>, removed);
        QFETCH(QList<int>, up);
        QFETCH(QList<int>, draws);
        QFETCH(int, first);
        QFETCH(int, second);
        const QList<int> layout = stripeLayout(6);
        ComputerPlayer p;
        p.reset(36);
        p.setLeastSeen(leastSeen);
        std::vector<CardState> states(37, CardState::Down);
        for (int c : seen)
            p.sawCard(c);
        for (int i = 0; i < decays; ++i)
            p.decay(18, 0);
        for (int c : removed) {
            p.forget(c);
            states[std::size_t(c)] = CardState::Removed;
        }
        for (int c : up)
            states[std::size_t(c)] = CardState::Up;
        ScriptedChance chance;
        chance.queueCells(draws, 36);
        const auto t = p.chooseTry({layout.begin(), layout.end()}, states, 18,
                                   int(removed.size()) / 2, chance.chance().random);
        QCOMPARE(t.first, first);
        QCOMPARE(t.second, second);
        QCOMPARE(chance.drawn(), int(draws.size()));
    }

    void switchingLeastSeenOffFreesEveryCell() {
        ComputerPlayer p;
        p.reset(36);
        p.sawCard(1);
        p.markLeastSeen(std::vector<CardState>(37, CardState::Down));
        QCOMPARE(p.mark(1), 0);
        p.setLeastSeen(false);
        QCOMPARE(p.mark(1), -1);
    }

    void aFaultyDrawStillNamesACell() { QCOMPARE(drawCell(36, 1.0), 36); }
};

QTEST_GUILESS_MAIN(TestComputerPlayer)
#include "tst_computerplayer.moc"
