#include "maintenance/ui/MaintenanceCommands.h"

bool runMaintenanceCommand(const QString& /*id*/, CardContext& /*cards*/, Services& /*services*/,
                           QWidget* /*parent*/) {
    return false;
}
