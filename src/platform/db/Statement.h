#pragma once

#include <QVariant>
#include <utility>

struct sqlite3_stmt;

// The one owner of a prepared SQLite statement: finalizes it when it goes. Move-only.
// Failures raise the database layer's Italian AppError (see Database::lastError).
class Statement {
public:
    Statement() noexcept = default;
    explicit Statement(sqlite3_stmt* statement) noexcept : st_(statement) {}
    ~Statement();
    Statement(Statement&& other) noexcept : st_(std::exchange(other.st_, nullptr)) {}
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const noexcept { return st_; }
    explicit operator bool() const noexcept { return st_ != nullptr; }

    // Binds params to ?first, ?first+1, ... by their type: Null, integer, real, blob, else text.
    void bind(const QVariantList& params, int first = 1);
    void bindInt64(int index, qint64 value);
    // One step: true with a row to read, false when done. A failure resets the statement
    // and throws.
    bool step();
    // Steps to the end (statements that return no rows), then resets for the next run.
    void run();
    void reset() noexcept;  // ready for another run; bindings stay

    int columnCount() const;
    QVariant value(int column) const;  // Null, qint64, double, QByteArray or QString
    qint64 int64(int column) const;

private:
    sqlite3_stmt* st_ = nullptr;
};
