#pragma once

#include <QDialog>
#include <QPixmap>
#include <array>
#include <deque>
#include <vector>

#include "game/MemoryGame.h"

class QAction;
class QLabel;
class QTimer;
class BoardSurface;
struct Services;

// The intervals of the game window's timers, in milliseconds.
struct BoardTimings {
    int timeOverMs = 5000;
    int nextTurnMs = 500;
    int comTimerMs = 500;
    int frameMs = 4;  // per animation frame; the fast "Mostra carte" frames take none
};

// The game window "Board": menus, the board of cards, the status strip and
// the three turn timers, driven by a MemoryGame. The game's steps are played one after
// the other; a card animation is a run of timer-driven frames that holds back the steps
// behind it, so the event loop never blocks.
class Board : public QDialog {
    Q_OBJECT
public:
    using Timings = BoardTimings;

    explicit Board(Services& services, QWidget* parent = nullptr,
                   GameChance chance = GameChance::system(), Timings timings = {});
    ~Board() override;

    const MemoryGame& game() const { return game_; }
    // Nothing left to show: no step waiting and no animation running.
    bool isIdle() const { return queue_.empty() && !animation_.active; }
    // A cell and its middle, in the coordinates of the board surface.
    QRect cellRect(int cell) const;
    QPoint cellCentre(int cell) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class BoardSurface;

    struct Animation {
        bool active = false;
        GameStep::Kind kind = GameStep::Kind::TurnUp;
        int cell = 0;
        int frame = 0;
        int frames = 0;
        int columnsPerFrame = 1;
    };

    void buildMenus();
    void buildStatusStrip();
    QAction* item(QMenu* menu, const char* name, const QString& caption, bool checkable = false);

    void firstPaint();
    void welcome();
    void startNewGame();
    void afterMenuChoice(bool newGameStarted);
    void syncMenus();
    void layOutBoard();
    void centre();

    void pick(const QPoint& at);
    void timerFired(MemoryGame::Timer timer);
    void apply();
    void play();
    void execute(const GameStep& step);
    void startAnimation(GameStep::Kind kind, int cell);
    void nextFrame();
    void composeFrame(int columns);
    void showMessage(const QString& caption, const QString& text);

    // What a cell shows now: the frame of its animation or its picture.
    const QPixmap& pictureOf(int cell) const;

    Services& services_;
    MemoryGame game_;
    Timings timings_;
    bool started_ = false;
    bool welcomeAsked_ = false;

    std::vector<QPixmap> pic_;
    QPixmap back_;
    QPixmap blank_;
    QPixmap tempPic_;

    std::vector<CardState> shown_;  // what each cell shows once its animations are played
    std::deque<GameStep> queue_;
    Animation animation_;
    bool playing_ = false;

    BoardSurface* surface_;
    std::array<QTimer*, MemoryGame::kTimerCount> timers_{};
    QTimer* frameTimer_;
    std::array<QLabel*, 2> names_{};
    std::array<QLabel*, 2> scores_{};
    QLabel* round_ = nullptr;
    QLabel* status_ = nullptr;

    QAction* showCards_ = nullptr;
    QAction* six_ = nullptr;
    QAction* eight_ = nullptr;
    QAction* ten_ = nullptr;
    QAction* pvc_ = nullptr;
    QAction* pvp_ = nullptr;
    QAction* high_ = nullptr;
    QAction* med_ = nullptr;
    QAction* low_ = nullptr;
    QAction* aiOn_ = nullptr;
    QAction* aiOff_ = nullptr;
};
