#pragma once

#include <QtGlobal>
#include <functional>
#include <vector>

#include "game/CardState.h"

// The computer's memory of the board: every card seen leaves a trace that
// fades at each of the computer's turns, faster for cards seen seldom and slower near the
// end of the game. Cells are numbered 1..N² as on the board; index 0 is unused.
class ComputerPlayer {
public:
    // The three "Memoria Computer" items: the lower the threshold and rate, the longer
    // the computer remembers, so Scarsa is the strongest opponent.
    enum class Memory { Scarsa, Discreta, Eccellente };

    // A card is remembered while its strength is strictly above the threshold.
    static float thresholdOf(Memory memory);
    static float initialRateOf(Memory memory);
    static constexpr float kSighting = 1000;  // strength added by each sighting

    Memory memory() const { return memory_; }
    // Only sets the values; the game starts a new deal, which resets the cells.
    void setMemory(Memory memory) { memory_ = memory; }
    float threshold() const { return thresholdOf(memory_); }
    float initialRate() const { return initialRateOf(memory_); }

    // The least-seen preference (hidden items ai_on / ai_off). Switching it off lets every
    // cell be chosen at once; switching it on takes effect at the next computer turn.
    bool leastSeen() const { return leastSeen_; }
    void setLeastSeen(bool on);

    // A new game of cellCount cells: strength 0, rate R0, every cell a candidate.
    void reset(int cellCount);
    // A card turned up with the normal animation, by either player.
    void sawCard(int cell);
    // A card removed with its pair.
    void forget(int cell) { strength_[std::size_t(cell)] = 0; }
    // The fading at the start of a computer turn.
    void decay(int pairsTotal, int pairsFound);
    bool remembers(int cell) const { return strength_[std::size_t(cell)] > threshold(); }
    // Least-seen rule: only the face-down cells with the highest rate stay candidates.
    void markLeastSeen(const std::vector<CardState>& states);

    struct Try {
        int first = 0;
        int second = 0;
    };
    // Steps 2 to 8 of a computer turn: decay, then a remembered pair, or a first pick
    // and its remembered partner, or two picks. `faces` and `states` are indexed by cell;
    // the caller turns the two cards up. `random` is uniform on [0, 1).
    Try chooseTry(const std::vector<qint16>& faces, std::vector<CardState> states, int pairsTotal,
                  int pairsFound, const std::function<double()>& random);

    float strength(int cell) const { return strength_[std::size_t(cell)]; }
    float rate(int cell) const { return rate_[std::size_t(cell)]; }
    int mark(int cell) const { return mark_[std::size_t(cell)]; }
    int cellCount() const { return cellCount_; }

private:
    Memory memory_ = Memory::Discreta;
    bool leastSeen_ = true;
    int cellCount_ = 0;
    std::vector<float> strength_ = std::vector<float>(1);
    std::vector<float> rate_ = std::vector<float>(1);
    std::vector<int> mark_ = std::vector<int>(1, -1);
};

// Int(cells × random + 1): a cell number 1..cells from a draw on [0, 1).
int drawCell(int cells, double random);
