#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
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

QImage picture(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

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

}  // namespace

class TestBoard : public QObject {
    Q_OBJECT

private slots:
    void giocaOpensTheBoardModally() {
        TempProgramFolder folder;
        NoCards cards;
        QWidget mainWindow;
        mainWindow.show();
        bool seen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* board = qobject_cast<Board*>(QApplication::activeModalWidget());
            if (!board || folder.messages.count() == 0)
                return;
            seen = board->parentWidget() == &mainWindow && board->game().dealt();
            child<QAction>(*board, "quit")->trigger();
        });
        poll.start(10);
        QVERIFY(runGameCommand(QStringLiteral("ID_Gioca"), cards, folder.services, &mainWindow));
        QVERIFY(seen);
        QVERIFY(mainWindow.findChildren<Board*>().isEmpty());  // released when it closed
    }

    // A whole 6 × 6 game against the computer, through mouse clicks, to "Game Over".
    void aFullGameAgainstTheComputer() {
        TempProgramFolder folder;
        ScriptedChance chance;
        Board board(folder.services, nullptr, chance.chance(), Board::Timings{5000, 1, 1, 1});
        const MemoryGame& game = board.game();
        auto* surface = child<QWidget>(board, "surface");
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));
        // The welcome box comes at the first paint and deals.
        QVERIFY(spinUntil([&] { return folder.messages.count() == 1 && board.isIdle(); }));
        chance.queueDeal(stripeLayout(6));  // partners 9 cells apart
        child<QAction>(board, "six")->trigger();
        QCOMPARE(surface->size(), QSize(6 * 32, 6 * 32));

        // Player 1 knows the deal but misses every other try; the computer draws its
        // cells from the scripted walk.
        int tries = 0;
        while (true) {
            QVERIFY(spinUntil([&] {
                return board.isIdle() &&
                       (game.over() || (game.currentPlayer() == 1 && game.cardsTurned() == 0));
            }));
            if (game.over())
                break;
            QList<int> down;
            for (int c = 1; c <= 36; ++c)
                if (game.state(c) == CardState::Down)
                    down << c;
            const int first = down.first();
            int second = 0;
            for (int c : down)
                if (c != first && game.face(c) == game.face(first))
                    second = c;
            if (tries++ % 2 == 0)
                for (int c : down)
                    if (game.face(c) != game.face(first)) {
                        second = c;
                        break;
                    }
            QTest::mouseClick(surface, Qt::LeftButton, {}, board.cellCentre(first));
            // The turn-up plays on timer-driven frames; the click has returned at once.
            QVERIFY(!board.isIdle());
            QTest::mouseClick(surface, Qt::LeftButton, {}, board.cellCentre(second));
            if (tries == 1) {
                QVERIFY(spinUntil([&] { return board.isIdle(); }));
                const QImage shown = surface->grab(board.cellRect(first)).toImage();
                QCOMPARE(picture(shown), picture(CardPictures::face(game.face(first)).toImage()));
                if (qEnvironmentVariableIsSet("RACCOLIO_GAME_SCREENSHOT"))
                    board.grab().save(qEnvironmentVariable("RACCOLIO_GAME_SCREENSHOT"));
            }
        }

        QCOMPARE(game.pairsFound(), 18);
        QCOMPARE(game.score(1) + game.score(2), 180);
        QVERIFY(game.score(2) > 0);  // the computer found pairs of its own
        QCOMPARE(folder.messages.count(), 2);
        QCOMPARE(folder.messages.lastText(),
                 gameOverText(MemoryGame::Mode::PlayerVsComputer, game.score(1), game.score(2)));
        QCOMPARE(child<QLabel>(board, "score(1)")->text(), QString::number(game.score(2)));
        QCOMPARE(child<QLabel>(board, "round")->text(), QString::number(game.moves()));
        QCOMPARE(picture(surface->grab(board.cellRect(36)).toImage()),
                 picture(CardPictures::blank().toImage()));
    }
};

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
