#include "stats/ui/StatsCommands.h"

#include "stats/ui/StatisticsWindow.h"

bool runStatsCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent) {
    if (id != QLatin1String("ID_GraficiStatistici"))
        return false;
    StatisticsWindow window(cards, services, parent);
    window.exec();
    return true;
}
