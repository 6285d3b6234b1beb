#pragma once

#include <QString>
#include <exception>
#include <string>

// The numbers other code relies on keep their engine values; the rest are ours.
namespace ErrorCode {
inline constexpr int FileNotFound = 53;
inline constexpr int DestinationExists = 3204;
inline constexpr int ItemNotFound = 3265;  // no such table or field
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int DialogCancelled = 32755;
// Program's own numbers.
inline constexpr int DatabaseError = 3000;   // SQLite refused an operation
inline constexpr int NotACatalogue = 3343;   // file is not a valid catalogue
inline constexpr int DatabaseClosed = 3420;  // data source used after closeDatabase()
inline constexpr int BadCriterion = 3077;    // criterion or record source syntax
inline constexpr int FileError = 75;         // file access failed
inline constexpr int Unexpected = 5;         // anything that is not an AppError
// The database file's pages are damaged: SQLite finds it corrupt, or no database at all.
inline constexpr int DatabaseDamaged = 3049;
}  // namespace ErrorCode

// The one error type of the program: what failed (number), where (source), why
// (an Italian description the user can read).
class AppError : public std::exception {
public:
    AppError(int number, QString source, QString description);

    int number() const { return number_; }
    const QString& source() const { return source_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString source_;
    QString description_;
    std::string what_;
};

// The file errors several layers raise, worded in one place. `path` as the caller names it;
// the catalogue error names only the file.
AppError fileNotFoundError(const QString& source, const QString& path);
AppError notACatalogueError(const QString& source, const QString& path);

// Text of the shared error message box for an error.
QString sharedErrorText(int number, const QString& source, const QString& description);
inline QString sharedErrorText(const AppError& e) {
    return sharedErrorText(e.number(), e.source(), e.description());
}
