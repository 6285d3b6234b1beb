#include "platform/services/MessageService.h"

#include "platform/core/AppError.h"

void MessageService::error(const AppError& e) {
    error(e.number(), e.source(), e.description());
}

void MessageService::error(int number, const QString& source, const QString& description) {
    if (number == 0)
        return;
    critical(sharedErrorText(number, source, description));
}
