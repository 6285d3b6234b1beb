#pragma once

#include <functional>

class AppError;
class MessageService;

// Runs a user-triggered handler: an AppError (or any other exception) is shown with
// the shared error message and the handler ends there. No exception crosses the
// event loop. Returns false when the body failed.
bool runGuarded(MessageService& messages, const char* source, const std::function<void()>& body);
// As above; an AppError, once shown, is also handed to `failed`.
bool runGuarded(MessageService& messages, const char* source,
                const std::function<void(const AppError&)>& failed,
                const std::function<void()>& body);
