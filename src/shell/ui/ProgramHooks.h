#pragma once

#include "shell/ui/MainWindow.h"

// The windows the main window calls out to, wired for the running program.
StartupHooks programHooks(Services& services);
