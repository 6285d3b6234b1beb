#pragma once

#include <QString>
#include <functional>

#include "platform/core/AppError.h"

// The AppError number a call raises (0 when it raises none), with its description.
inline int errorOf(const std::function<void()>& f, QString* description = nullptr) {
    try {
        f();
    } catch (const AppError& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}
