#pragma once

// The services a benchmark gives the real main window: default settings with the about
// box and the resolution hand-over off, so nothing waits for a click, and messages on
// stderr instead of in boxes.

#include "platform/core/AppState.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/QtServices.h"
#include "shell/ui/StderrMessageService.h"

struct QuietServices {
    QuietServices() {
        settings.ensureDefaults();
        settings.write(QStringLiteral("About"), QStringLiteral("0"));
        settings.write(QStringLiteral("SetRisoluzione"), QStringLiteral("0"));
    }

    SettingsStore settings;
    StderrMessageService messages;
    QtFileDialogService files;
    QtInputService input;
    AppState state;
    Services services{messages, files, input, settings, state};
};
