#pragma once

#include <QStringList>

#include "platform/services/MessageService.h"

// For unattended runs (RACCOLIO_UNATTENDED=1: scripted checks, CI): every message is
// written to standard error and answered with OK, or a question with the next of the
// given answers ("yes,no,...", from RACCOLIO_UNATTENDED_ANSWERS), No once they run out,
// so nothing waits for a user.
class StderrMessageService : public MessageService {
public:
    explicit StderrMessageService(const QString& answers = {});
    Answer show(const QString& text, Buttons buttons, Icon icon) override;

private:
    QStringList answers_;
};
