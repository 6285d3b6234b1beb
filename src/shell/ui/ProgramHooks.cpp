#include "shell/ui/ProgramHooks.h"

StartupHooks programHooks(Services& services) {
    StartupHooks hooks;
    (void)services;
    return hooks;
}
