#pragma once

#include <QString>

// The plumbing under every file the program replaces: a temporary file beside the target,
// flushes, and the rename that puts it in place. For the other files of platform/db only.
namespace FileReplace {

// An empty file beside the target, removed again (with an SQLite journal of it) unless kept.
class TempBeside {
public:
    // A chosen name: the program's own temporary file, so a leftover of it goes.
    TempBeside(const QString& target, const QString& chosen);
    explicit TempBeside(const QString& target);
    ~TempBeside();
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;
    const QString& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    void create(const QString& target);
    void removeLeftovers() const;
    QString path_;
    bool kept_ = false;
};

// Flushes a file (or a folder, after a rename) to the disk; a failure is only logged.
void syncToDisk(const QString& path);

// rename(2): replaces the target in one step, so a reader sees the old file or the new one.
// The new file first takes the mode and owner of `model` (by default the file it replaces).
// Raises AppError(FileError) when the rename fails.
void renameOver(const QString& from, const QString& to, const QString& model = {});

}  // namespace FileReplace
