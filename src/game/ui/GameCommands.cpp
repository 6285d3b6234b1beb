#include "game/ui/GameCommands.h"

bool runGameCommand(const QString& /*id*/, CardContext& /*cards*/, Services& /*services*/,
                    QWidget* /*parent*/) {
    return false;
}
