#include "platform/services/Guard.h"

#include <QString>

#include "platform/core/AppError.h"
#include "platform/services/MessageService.h"

bool runGuarded(MessageService& messages, const char* source, const std::function<void()>& body) {
    return runGuarded(messages, source, {}, body);
}

bool runGuarded(MessageService& messages, const char* source,
                const std::function<void(const AppError&)>& failed,
                const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const AppError& e) {
        messages.error(e);
        if (failed)
            failed(e);
    } catch (const std::exception& e) {
        messages.error(ErrorCode::Unexpected, QString::fromUtf8(source),
                       QString::fromLocal8Bit(e.what()));
    }
    return false;
}
