#include "search/ui/SearchCommands.h"

bool runSearchCommand(const QString& /*id*/, CardContext& /*cards*/, Services& /*services*/,
                      QWidget* /*parent*/) {
    return false;
}
