#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running copy per program folder: a lock file in the temporary folder, keyed by
// the folder, released by the system when the process dies. Without a writable temporary
// folder there is no lock, and the program runs unguarded.
class SingleInstance {
public:
    explicit SingleInstance(const QString& programFolder);
    bool isFirst() const { return first_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = false;
};
