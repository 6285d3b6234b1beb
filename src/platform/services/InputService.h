#pragma once

#include <QString>
#include <optional>

#include "platform/services/DialogOwner.h"

// Every input prompt goes through here. nullopt means the user cancelled.
class InputService : public DialogService {
public:
    virtual ~InputService() = default;
    virtual std::optional<QString> getText(const QString& prompt, const QString& title,
                                           const QString& defaultText = {}) = 0;
};
