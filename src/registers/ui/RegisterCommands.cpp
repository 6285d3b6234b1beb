#include "registers/ui/RegisterCommands.h"

bool runRegisterCommand(const QString& /*id*/, CardContext& /*cards*/, Services& /*services*/,
                        QWidget* /*parent*/) {
    return false;
}
