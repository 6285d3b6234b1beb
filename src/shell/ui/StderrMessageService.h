#pragma once

#include "platform/services/MessageService.h"

// For unattended runs (RACCOLIO_UNATTENDED=1: scripted checks, CI): every message is
// written to standard error and answered with OK or No, so nothing waits for a user.
class StderrMessageService : public MessageService {
public:
    Answer show(const QString& text, Buttons buttons, Icon icon) override;
};
