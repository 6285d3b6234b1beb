#include "game/GameChance.h"

#include <QRandomGenerator>

GameChance GameChance::system() {
    return {[] { return QRandomGenerator::global()->generateDouble(); },
            [] { return QTime::currentTime(); }};
}
