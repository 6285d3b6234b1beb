#pragma once

#include <QString>
#include <array>
#include <vector>

#include "game/CardState.h"
#include "game/ComputerPlayer.h"
#include "game/GameChance.h"

// One thing the window shows or starts, in the order the rules give them. The game's own
// state changes at once; the window plays the steps one after the other, an animation
// holding back the steps behind it.
struct GameStep {
    enum class Kind {
        TurnUp,    // cell: turn-up animation
        TurnDown,  // cell: turn-down animation
        Remove,    // cell: remove animation
        Reveal,    // cell: the fast turn-up of "Mostra carte"
        Beep,
        Status,            // text: the status line
        Score,             // player (1 or 2), amount: that player's score
        Round,             // amount: the move counter
        ShowCardsEnabled,  // on: whether "Mostra carte" can be chosen
        StartTimer,        // timer
        StopTimer,         // timer
        BusyPointer,
        DefaultPointer,
        GameOver  // text: the result, in the "Game Over" box
    };
    Kind kind;
    int value = 0;  // cell, player, timer or on/off
    int amount = 0;
    QString text;

    bool operator==(const GameStep&) const = default;
};

// The memory game with its computer player: dealing, picks,
// turns, scores, the three timers' actions and the menus' choices. Cells are numbered
// 1..N² row by row; index 0 of the per-cell lists is unused. Everything the game draws by
// chance or reads from the clock comes from the injected GameChance.
class MemoryGame {
public:
    enum class Mode { PlayerVsComputer, PlayerVsPlayer };  // menu items pvc, pvp
    enum class Timer { TimeOver, NextTurn, ComTimer };
    static constexpr int kTimerCount = 3;
    static constexpr int kDefaultCellSize = 32;

    explicit MemoryGame(GameChance chance);

    // Cell size in pixels, taken by the window from the card back.
    void setCellSize(int width, int height);
    int cellWidth() const { return cellWidth_; }
    int cellHeight() const { return cellHeight_; }

    // Stops every timer (a stale timer would act on the new deal), resets the board and
    // deals.
    void newGame();
    // A mouse button released at pixel (x, y) of the board.
    void pick(int x, int y);
    // A timer has fired. A timer the game has not started (or has stopped since) does
    // nothing.
    void timerFired(Timer timer);
    // "Mostra carte".
    void showCards();

    // Menus. Each returns true when it started a new game.
    bool chooseBoardSize(int size);  // 6, 8 or 10
    bool chooseMode(Mode mode);
    bool chooseMemory(ComputerPlayer::Memory memory);
    void chooseLeastSeen(bool on);  // does not start a new game

    // The steps produced since the last call, oldest first.
    std::vector<GameStep> takeSteps();

    // State.
    int size() const { return size_; }
    int cellCount() const { return size_ * size_; }
    int pairsTotal() const { return cellCount() / 2; }
    int cellAt(int x, int y) const;  // 0 outside the board
    int face(int cell) const { return faces_[std::size_t(cell)]; }
    CardState state(int cell) const { return states_[std::size_t(cell)]; }
    Mode mode() const { return mode_; }
    int currentPlayer() const { return player_; }
    int moves() const { return moves_; }
    int score(int player) const { return scores_[std::size_t(player - 1)]; }
    int cardsTurned() const { return turned_; }
    int pairsFound() const { return pairs_; }
    bool timedOut() const { return timedOut_; }
    bool dealt() const { return dealt_; }
    bool over() const { return over_; }
    bool showCardsEnabled() const { return showCardsEnabled_; }
    bool timerArmed(Timer timer) const { return armed_[std::size_t(timer)]; }
    QString status() const { return status_; }
    QString playerName(int player) const { return names_[std::size_t(player - 1)]; }
    const ComputerPlayer& computer() const { return computer_; }
    ComputerPlayer::Memory memory() const { return computer_.memory(); }
    bool leastSeen() const { return computer_.leastSeen(); }

private:
    void resetCells();
    void deal();
    void turnUp(int cell);
    void turnDown(int cell);
    void remove(int cell);
    void timeOver();
    void endOfHumanTry();
    void passTurn();
    void computerTurn();
    void endOfComputerTry();
    void gameOver();

    void push(GameStep::Kind kind, int value = 0, int amount = 0, const QString& text = {});
    void setStatus(const QString& text);
    void showScore(int player);
    void setShowCards(bool on);
    void start(Timer timer);
    void stop(Timer timer);
    QString yourTurnText() const;  // the status when the round goes back to Player 1

    GameChance chance_;
    ComputerPlayer computer_;
    int cellWidth_ = kDefaultCellSize;
    int cellHeight_ = kDefaultCellSize;
    int size_ = 8;
    Mode mode_ = Mode::PlayerVsComputer;

    std::vector<qint16> faces_;
    std::vector<CardState> states_;
    int player_ = 1;
    int moves_ = 1;
    std::array<int, 2> scores_{0, 0};
    int turned_ = 0;
    std::array<int, 2> picks_{0, 0};     // a human's try
    std::array<int, 2> comPicks_{0, 0};  // the computer's try
    bool comMatch_ = false;
    int pairs_ = 0;
    bool timedOut_ = false;
    bool dealt_ = false;
    bool over_ = false;
    bool showCardsEnabled_ = false;
    std::array<bool, kTimerCount> armed_{false, false, false};
    QString status_;
    std::array<QString, 2> names_;
    std::vector<GameStep> steps_;
};

// The text of the "Game Over" box.
QString gameOverText(MemoryGame::Mode mode, int player1Score, int player2Score);
