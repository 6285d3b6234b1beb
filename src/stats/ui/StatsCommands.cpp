#include "stats/ui/StatsCommands.h"

bool runStatsCommand(const QString& /*id*/, CardContext& /*cards*/, Services& /*services*/,
                     QWidget* /*parent*/) {
    return false;
}
