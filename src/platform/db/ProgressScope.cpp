#include "platform/db/ProgressScope.h"

#include <sqlite3.h>

#include <unordered_map>

namespace {

// The innermost scope of each connection on this thread (connections are not shared
// between threads), so a nested scope can hand the handler back when it ends.
std::unordered_map<sqlite3*, ProgressScope*>& innermost() {
    thread_local std::unordered_map<sqlite3*, ProgressScope*> scopes;
    return scopes;
}

}  // namespace

ProgressScope::ProgressScope(sqlite3* db, Tick tick, int steps)
    : db_(db), tick_(std::move(tick)), steps_(steps > 0 ? steps : 1), outer_(nullptr) {
    if (!db_)
        return;
    auto& scopes = innermost();
    const auto found = scopes.find(db_);
    outer_ = found == scopes.end() ? nullptr : found->second;
    scopes[db_] = this;
    install();
}

ProgressScope::~ProgressScope() {
    if (!db_)
        return;
    auto& scopes = innermost();
    if (outer_) {
        scopes[db_] = outer_;
        outer_->install();
    } else {
        scopes.erase(db_);
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    }
}

void ProgressScope::install() const {
    if (tick_)
        sqlite3_progress_handler(db_, steps_, &ProgressScope::call,
                                 const_cast<ProgressScope*>(this));
    else
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

int ProgressScope::call(void* self) {
    auto* scope = static_cast<ProgressScope*>(self);
    if (scope->interrupted_)
        return 1;
    try {
        if (!scope->tick_())
            scope->interrupted_ = true;
    } catch (...) {
        scope->failure_ = std::current_exception();
        scope->interrupted_ = true;
    }
    return scope->interrupted_ ? 1 : 0;
}

void ProgressScope::rethrowIfFailed() const {
    if (failure_)
        std::rethrow_exception(failure_);
}
