#include "game/ComputerPlayer.h"

#include <algorithm>
#include <cmath>

float ComputerPlayer::thresholdOf(Memory memory) {
    switch (memory) {
        case Memory::Scarsa:
            return 100;
        case Memory::Eccellente:
            return 500;
        case Memory::Discreta:
            break;
    }
    return 300;
}

float ComputerPlayer::initialRateOf(Memory memory) {
    switch (memory) {
        case Memory::Scarsa:
            return 150;
        case Memory::Eccellente:
            return 250;
        case Memory::Discreta:
            break;
    }
    return 200;
}

void ComputerPlayer::setLeastSeen(bool on) {
    if (on == leastSeen_)
        return;
    leastSeen_ = on;
    if (!on)
        std::fill(mark_.begin(), mark_.end(), -1);
}

void ComputerPlayer::reset(int cellCount) {
    cellCount_ = cellCount;
    const auto size = std::size_t(cellCount) + 1;
    strength_.assign(size, 0);
    rate_.assign(size, initialRate());
    mark_.assign(size, -1);
}

void ComputerPlayer::sawCard(int cell) {
    const auto k = std::size_t(cell);
    strength_[k] += kSighting;
    rate_[k] = rate_[k] * 9 / 10;
}

void ComputerPlayer::decay(int pairsTotal, int pairsFound) {
    const double left = double(pairsTotal - pairsFound) / pairsTotal;
    for (int k = 1; k <= cellCount_; ++k) {
        const auto i = std::size_t(k);
        const float s = float(double(strength_[i] - rate_[i]) - left * rate_[i]);
        strength_[i] = s < 0 ? 0 : s;
    }
}

void ComputerPlayer::markLeastSeen(const std::vector<CardState>& states) {
    float most = 0;
    for (int k = 1; k <= cellCount_; ++k)
        if (states[std::size_t(k)] == CardState::Down && rate_[std::size_t(k)] > most)
            most = rate_[std::size_t(k)];
    for (int k = 1; k <= cellCount_; ++k)
        mark_[std::size_t(k)] = rate_[std::size_t(k)] == most ? -1 : 0;
}

ComputerPlayer::Try ComputerPlayer::chooseTry(const std::vector<qint16>& faces,
                                              std::vector<CardState> states, int pairsTotal,
                                              int pairsFound,
                                              const std::function<double()>& random) {
    const int n = cellCount_;
    auto face = [&faces](int k) { return faces[std::size_t(k)]; };
    auto down = [&states](int k) { return states[std::size_t(k)] == CardState::Down; };

    decay(pairsTotal, pairsFound);

    // A pair still remembered, the first in cell order. Removed cards have strength 0,
    // so they never count.
    for (int p = 1; p <= n; ++p) {
        if (!remembers(p))
            continue;
        for (int q = p + 1; q <= n; ++q)
            if (face(q) == face(p) && remembers(q))
                return {p, q};
    }

    if (leastSeen_)
        markLeastSeen(states);
    int p = 0;
    do {
        p = drawCell(n, random());
    } while (mark(p) == 0 || !down(p));
    states[std::size_t(p)] = CardState::Up;

    for (int q = 1; q <= n; ++q)
        if (q != p && face(q) == face(p) && remembers(q))
            return {p, q};

    if (leastSeen_)
        markLeastSeen(states);
    int q = 0;
    do {
        q = drawCell(n, random());
    } while (q == p || !down(q) || mark(q) == 0);
    return {p, q};
}

int drawCell(int cells, double random) {
    // A draw of exactly 1 (or beyond) from a faulty generator still names a cell.
    return std::clamp(int(std::floor(cells * random + 1)), 1, cells);
}
