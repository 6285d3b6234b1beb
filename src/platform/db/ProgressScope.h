#pragma once

#include <exception>
#include <functional>

struct sqlite3;

// While it lives, SQLite asks `tick` every `steps` virtual-machine steps of any statement on
// `db`; a tick that returns false interrupts the statement (it fails with SQLITE_INTERRUPT).
// The handler goes when the scope ends, however it ends, and an enclosing scope on the same
// connection gets its handler back. A tick must not throw into SQLite: an exception it raises
// is kept, the statement is interrupted, and rethrowIfFailed() raises it again.
class ProgressScope {
public:
    using Tick = std::function<bool()>;

    ProgressScope(sqlite3* db, Tick tick, int steps = 20000);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    // True once a tick asked to stop (or threw).
    bool interrupted() const { return interrupted_; }
    // Raises what a tick threw, if it threw.
    void rethrowIfFailed() const;

private:
    static int call(void* self);
    void install() const;

    sqlite3* db_;
    Tick tick_;
    int steps_;
    ProgressScope* outer_;
    bool interrupted_ = false;
    std::exception_ptr failure_;
};
