#include "game/MemoryGame.h"

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

MemoryGame::MemoryGame(GameChance chance) : chance_(std::move(chance)) {
    names_ = {text("Player 1:"), text("Computer:")};
    status_ = text("E' il tuo turno...");
    resetCells();
}

void MemoryGame::setCellSize(int width, int height) {
    cellWidth_ = width;
    cellHeight_ = height;
}

void MemoryGame::resetCells() {
    const auto cells = std::size_t(cellCount()) + 1;
    faces_.assign(cells, -1);
    states_.assign(cells, CardState::Down);
    computer_.reset(cellCount());
}

void MemoryGame::newGame() {
    // The rules stop only time_over; the other two would judge a try of the old deal.
    for (Timer t : {Timer::TimeOver, Timer::NextTurn, Timer::ComTimer})
        stop(t);
    moves_ = 1;
    player_ = 1;
    scores_ = {0, 0};
    turned_ = 0;
    pairs_ = 0;
    timedOut_ = false;
    over_ = false;
    resetCells();

    // Stir the generator, then deal.
    const QTime now = chance_.now();
    for (int i = now.minute() * now.second() + 1; i > 0; --i)
        chance_.random();
    deal();
    dealt_ = true;

    showScore(1);
    showScore(2);
    setStatus(mode_ == Mode::PlayerVsPlayer ? text("Turno di Player 1") : text("E' il tuo turno."));
    push(GameStep::Kind::Round, 0, moves_);
    setShowCards(true);
    // A game begun during the computer's turn must not keep the hourglass.
    push(GameStep::Kind::DefaultPointer);
}

void MemoryGame::deal() {
    const int cells = cellCount();
    for (int v = 0; v < cells / 4; ++v) {
        int placed = 0;
        do {
            const auto cell = std::size_t(drawCell(cells, chance_.random()));
            if (faces_[cell] == -1) {
                faces_[cell] = qint16(v);
                ++placed;
            }
        } while (placed < 4);
    }
}

int MemoryGame::cellAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= size_ * cellWidth_ || y >= size_ * cellHeight_)
        return 0;
    return (y / cellHeight_) * size_ + x / cellWidth_ + 1;
}

void MemoryGame::pick(int x, int y) {
    if (!dealt_ || turned_ == 2)
        return;
    const int cell = cellAt(x, y);
    if (cell == 0 || state(cell) != CardState::Down)
        return;
    setShowCards(false);
    picks_[std::size_t(turned_)] = cell;
    ++turned_;
    if (turned_ == 2) {
        stop(Timer::TimeOver);
        timedOut_ = false;
    }
    turnUp(cell);
    start(turned_ == 1 ? Timer::TimeOver : Timer::NextTurn);
}

void MemoryGame::timerFired(Timer timer) {
    if (!timerArmed(timer))
        return;
    armed_[std::size_t(timer)] = false;
    switch (timer) {
        case Timer::TimeOver:
            timeOver();
            break;
        case Timer::NextTurn:
            endOfHumanTry();
            break;
        case Timer::ComTimer:
            endOfComputerTry();
            break;
    }
}

void MemoryGame::timeOver() {
    push(GameStep::Kind::Beep);
    timedOut_ = true;
    turned_ = 2;
    scores_[std::size_t(player_ - 1)] -= 5;
    showScore(player_);
    setStatus(text("Tempo scaduto..."));
    turnDown(picks_[0]);
    endOfHumanTry();
}

void MemoryGame::endOfHumanTry() {
    if (!timedOut_) {
        const int first = picks_[0];
        const int second = picks_[1];
        if (face(first) == face(second)) {
            ++pairs_;
            remove(first);
            remove(second);
            scores_[std::size_t(player_ - 1)] += 10;
            showScore(player_);
            if (pairs_ == pairsTotal()) {
                gameOver();
                return;
            }
            turned_ = 0;
            setShowCards(true);
            return;  // the same player plays again
        }
        turnDown(first);
        turnDown(second);
    }
    passTurn();
}

void MemoryGame::passTurn() {
    ++player_;
    if (player_ == 2) {
        if (mode_ == Mode::PlayerVsComputer) {
            computerTurn();
            return;
        }
        setStatus(text("Turno di Player 2"));
        turned_ = 0;
        setShowCards(true);
        return;
    }
    // Both players have played.
    player_ = 1;
    ++moves_;
    push(GameStep::Kind::Round, 0, moves_);
    turned_ = 0;
    setShowCards(true);
    setStatus(yourTurnText());
}

void MemoryGame::computerTurn() {
    push(GameStep::Kind::BusyPointer);
    setStatus(text("Il computer sta pensando..."));
    const ComputerPlayer::Try t =
        computer_.chooseTry(faces_, states_, pairsTotal(), pairs_, chance_.random);
    comPicks_ = {t.first, t.second};
    turnUp(t.first);
    turnUp(t.second);
    comMatch_ = face(t.first) == face(t.second);
    start(Timer::ComTimer);
}

void MemoryGame::endOfComputerTry() {
    const int first = comPicks_[0];
    const int second = comPicks_[1];
    if (!comMatch_) {
        turnDown(first);
        turnDown(second);
        ++moves_;
        push(GameStep::Kind::Round, 0, moves_);
        player_ = 1;
        setStatus(yourTurnText());
        turned_ = 0;
        setShowCards(true);
        push(GameStep::Kind::DefaultPointer);
        return;
    }
    ++pairs_;
    remove(first);
    remove(second);
    scores_[1] += 10;
    showScore(2);
    if (pairs_ == pairsTotal())
        gameOver();
    else
        computerTurn();
}

void MemoryGame::gameOver() {
    over_ = true;
    push(GameStep::Kind::DefaultPointer);
    push(GameStep::Kind::Beep);
    push(GameStep::Kind::GameOver, 0, 0, gameOverText(mode_, scores_[0], scores_[1]));
    setShowCards(false);
}

void MemoryGame::showCards() {
    if (!showCardsEnabled_)
        return;
    push(GameStep::Kind::BusyPointer);
    setShowCards(false);
    for (int k = 1; k <= cellCount(); ++k)
        if (state(k) == CardState::Down) {
            // No sighting: the computer does not learn from a peek.
            states_[std::size_t(k)] = CardState::Up;
            push(GameStep::Kind::Reveal, k);
        }
    push(GameStep::Kind::DefaultPointer);
}

bool MemoryGame::chooseBoardSize(int size) {
    if (size == size_ || (size != 6 && size != 8 && size != 10))
        return false;
    size_ = size;
    newGame();
    return true;
}

bool MemoryGame::chooseMode(Mode mode) {
    if (mode == mode_)
        return false;
    mode_ = mode;
    names_ = {text("Player 1"),
              mode == Mode::PlayerVsComputer ? text("Computer") : text("Player 2")};
    newGame();
    return true;
}

bool MemoryGame::chooseMemory(ComputerPlayer::Memory memory) {
    if (memory == computer_.memory())
        return false;
    computer_.setMemory(memory);
    newGame();
    return true;
}

void MemoryGame::chooseLeastSeen(bool on) {
    computer_.setLeastSeen(on);
}

std::vector<GameStep> MemoryGame::takeSteps() {
    std::vector<GameStep> taken;
    taken.swap(steps_);
    return taken;
}

void MemoryGame::turnUp(int cell) {
    states_[std::size_t(cell)] = CardState::Up;
    computer_.sawCard(cell);
    push(GameStep::Kind::TurnUp, cell);
}

void MemoryGame::turnDown(int cell) {
    states_[std::size_t(cell)] = CardState::Down;
    push(GameStep::Kind::TurnDown, cell);
}

void MemoryGame::remove(int cell) {
    states_[std::size_t(cell)] = CardState::Removed;
    computer_.forget(cell);
    push(GameStep::Kind::Remove, cell);
}

void MemoryGame::push(GameStep::Kind kind, int value, int amount, const QString& text) {
    steps_.push_back({kind, value, amount, text});
}

void MemoryGame::setStatus(const QString& text) {
    status_ = text;
    push(GameStep::Kind::Status, 0, 0, text);
}

void MemoryGame::showScore(int player) {
    push(GameStep::Kind::Score, player, score(player));
}

void MemoryGame::setShowCards(bool on) {
    showCardsEnabled_ = on;
    push(GameStep::Kind::ShowCardsEnabled, on ? 1 : 0);
}

void MemoryGame::start(Timer timer) {
    armed_[std::size_t(timer)] = true;
    push(GameStep::Kind::StartTimer, int(timer));
}

void MemoryGame::stop(Timer timer) {
    armed_[std::size_t(timer)] = false;
    push(GameStep::Kind::StopTimer, int(timer));
}

QString MemoryGame::yourTurnText() const {
    return mode_ == Mode::PlayerVsPlayer ? text("Turno di Player 1") : text("E' il tuo turno...");
}

QString gameOverText(MemoryGame::Mode mode, int player1Score, int player2Score) {
    if (player1Score == player2Score)
        return text("Gioco in inizializzazione...");
    if (mode == MemoryGame::Mode::PlayerVsComputer)
        return player1Score > player2Score ? text("You win.")
                                           : text("Il tuo Computer ti ha battuto...");
    return player1Score > player2Score ? text("Player 1 ha vinto!") : text("Player 2 ha vinto!");
}
