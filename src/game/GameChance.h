#pragma once

#include <QTime>
#include <functional>

// What the game leaves to chance and the clock, injected so that tests are exact.
struct GameChance {
    std::function<double()> random;  // uniform on [0, 1)
    std::function<QTime()> now;      // time of day; only its minute and second are read

    // The program's own: Qt's global generator and the wall clock.
    static GameChance system();
};
