#include "platform/db/FileReplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <vector>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Maintenance.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif
#ifdef Q_OS_LINUX
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace {

const QString kSource = QStringLiteral("DbMaintenance");

// A process that exists, ours or not (EPERM: another user's), may still be writing.
bool processIsAlive(pid_t pid) {
#ifdef Q_OS_UNIX
    return pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

// The new file takes the mode and, where the system lets us (as root), the owner of `model`,
// so a catalogue kept private stays private once replaced. Neither is worth refusing the
// file for: a failure is only logged.
void takeOwnershipOf(const QString& file, const QString& model) {
#ifdef Q_OS_UNIX
    struct stat wanted {};
    if (::stat(QFile::encodeName(model).constData(), &wanted) != 0)
        return;  // nothing to follow: a new file keeps the mode it was made with
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    if (fd < 0)
        return;
    if (::fchmod(fd, wanted.st_mode & 07777) != 0)
        qCWarning(lcDb).noquote() << "could not give" << file << "the mode of" << model << "-"
                                  << strerror(errno);
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_uid != wanted.st_uid || now.st_gid != wanted.st_gid) &&
        ::fchown(fd, wanted.st_uid, wanted.st_gid) != 0)
        qCDebug(lcDb).noquote() << "keeps its owner:" << file << "-" << strerror(errno);
    ::fsync(fd);  // the file's data is on disk already: this flushes only the change here
    ::close(fd);
#else
    Q_UNUSED(file);
    Q_UNUSED(model);
#endif
}

#ifdef Q_OS_UNIX
// Closes its descriptor when it goes.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    operator int() const { return fd_; }

private:
    int fd_;
};

// Copies the first `size` bytes of `in` into the empty `out`; returns how many were copied,
// short of `size` only when the copy failed (errno then says why; 0 when the file ended
// early).
qint64 copyContents(int in, int out, qint64 size) {
    qint64 done = 0;
#ifdef Q_OS_LINUX
    // A reflink shares the blocks: nothing is copied until one of the files changes.
    struct stat cloned {};
    if (::ioctl(out, FICLONE, in) == 0 && ::fstat(out, &cloned) == 0)
        return cloned.st_size;
    // Else the kernel copies, without a trip through this process (a network file system
    // may even copy on the server); where it cannot, the plain copy goes on from there.
    while (done < size) {
        loff_t from = done, to = done;
        const ssize_t n = ::copy_file_range(in, &from, out, &to, size_t(size - done), 0);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n == 0) {
            errno = 0;  // the file ended early
            return done;
        }
        if (errno != EXDEV && errno != EINVAL && errno != EOPNOTSUPP && errno != ENOSYS)
            return done;
        break;
    }
#endif
    std::vector<char> buffer(1 << 20);
    while (done < size) {
        const ssize_t n = ::pread(
            in, buffer.data(), size_t(std::min<qint64>(qint64(buffer.size()), size - done)), done);
        if (n <= 0) {
            if (n == 0)
                errno = 0;  // the file ended early
            return done;
        }
        for (ssize_t written = 0; written < n;) {
            const ssize_t w =
                ::pwrite(out, buffer.data() + written, size_t(n - written), done + written);
            if (w <= 0)
                return done;
            written += w;
        }
        done += n;
    }
    return done;
}
#endif

}  // namespace

namespace FileReplace {

TempBeside::TempBeside(const QString& target, const QString& chosen) {
    if (chosen.isEmpty()) {
        create(target);
        return;
    }
    path_ = chosen;
    removeLeftovers();
}

TempBeside::TempBeside(const QString& target) {
    create(target);
}

TempBeside::~TempBeside() {
    if (!kept_)
        removeLeftovers();
}

// Not QTemporaryFile: its names repeat in a forked process and it can hand back no name
// when one is taken by a leftover of an interrupted run. The process id and a number
// from the system's generator make the name; the exclusive create proves it free.
void TempBeside::create(const QString& target) {
    const QFileInfo info(target);
    // Copies left by an interrupted run: only one instance of the program works here.
    QDir folder = info.absoluteDir();
    const QStringList stale =
        folder.entryList({QStringLiteral(".%1.*.tmp").arg(info.fileName()),
                          QStringLiteral(".%1.*.tmp-journal").arg(info.fileName())},
                         QDir::Files | QDir::Hidden);
    for (const QString& name : stale)
        if (!folder.remove(name))
            qCWarning(lcDb).noquote() << "could not remove the leftover file" << name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = info.absoluteDir().filePath(
            QStringLiteral(".%1.%2-%3.tmp")
                .arg(info.fileName())
                .arg(QCoreApplication::applicationPid())
                .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0')));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            path_ = name;
            return;
        }
    }
    throw AppError(ErrorCode::FileError, kSource,
                   QStringLiteral("Impossibile creare un file temporaneo nella cartella %1")
                       .arg(info.absolutePath()));
}

void TempBeside::removeLeftovers() const {
    for (const QString& file : {path_, path_ + QStringLiteral("-journal")})
        if (QFile::exists(file) && !QFile::remove(file))
            qCWarning(lcDb).noquote() << "could not remove the temporary file" << file;
}

void syncToDisk(const QString& path) {
#ifdef Q_OS_UNIX
    // The rename or the copy is done either way; a failed flush only weakens it against a
    // power cut.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        qCWarning(lcDb).noquote() << "could not flush" << path << "to disk:" << strerror(errno);
    if (fd >= 0)
        ::close(fd);
#else
    Q_UNUSED(path);
#endif
}

void renameOver(const QString& from, const QString& to, const QString& model) {
    takeOwnershipOf(from, model.isEmpty() ? to : model);
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(),
                            QFile::encodeName(to).toStdString(), error);
    if (error)
        throw AppError(ErrorCode::FileError, kSource,
                       QStringLiteral("Impossibile sostituire il file %1").arg(to));
}

}  // namespace FileReplace

namespace DbMaintenance {

using FileReplace::renameOver;
using FileReplace::syncToDisk;
using FileReplace::TempBeside;

void writeOver(const QString& destinationPath, const std::function<void(const QString&)>& write) {
    TempBeside temp(destinationPath);
    write(temp.path());
    syncToDisk(temp.path());
    renameOver(temp.path(), destinationPath);
    temp.keep();
    syncToDisk(QFileInfo(destinationPath).absolutePath());
}

QStringList removeDeadRunLeftovers(const QString& folder) {
    // TempBeside's names: "." + target + "." + process id + "-" + 8 hex digits + ".tmp",
    // and SQLite's journal of such a file.
    static const QRegularExpression ours(
        QStringLiteral("^\\..+\\.([1-9][0-9]{0,9})-[0-9a-f]{8}\\.tmp(-journal)?$"));
    QStringList removed;
    QDir dir(folder);
    const QStringList candidates =
        dir.entryList({QStringLiteral(".*.tmp"), QStringLiteral(".*.tmp-journal")},
                      QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : candidates) {
        const QRegularExpressionMatch match = ours.match(name);
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid > std::numeric_limits<pid_t>::max() || processIsAlive(pid_t(pid)))
            continue;
        if (dir.remove(name))
            removed << name;
        else
            qCWarning(lcDb).noquote() << "could not remove the leftover file" << name;
    }
    if (!removed.isEmpty())
        qCInfo(lcDb).noquote() << "removed what killed runs left:"
                               << removed.join(QStringLiteral(", "));
    return removed;
}

void copyFile(const QString& from, const QString& to) {
    const auto failure = [&](const QString& why) {
        return AppError(
            ErrorCode::FileError, kSource,
            QStringLiteral("Impossibile copiare il file %1 in %2: %3").arg(from, to, why));
    };
    TempBeside temp(to);
#ifdef Q_OS_UNIX
    {
        const FileHandle in(::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC));
        const FileHandle out(
            ::open(QFile::encodeName(temp.path()).constData(), O_WRONLY | O_CLOEXEC));
        struct stat source {};
        if (in < 0 || out < 0 || ::fstat(in, &source) != 0)
            throw failure(QString::fromLocal8Bit(strerror(errno)));
        // Short of the whole (a full disk, a read error): the copy must not take the name.
        if (copyContents(in, out, source.st_size) != source.st_size)
            throw failure(errno ? QString::fromLocal8Bit(strerror(errno))
                                : QStringLiteral("copia incompleta"));
        // On the disk before anything counts on it: a copy that may not be is none.
        if (::fsync(out) != 0)
            throw failure(QString::fromLocal8Bit(strerror(errno)));
    }
    takeOwnershipOf(temp.path(), from);
#else
    QFile::remove(temp.path());
    if (!QFile::copy(from, temp.path()))
        throw failure(QStringLiteral("copia non riuscita"));
#endif
    // rename() does not replace: a file that took the name meanwhile is kept.
    QFile copy(temp.path());
    if (!copy.rename(to))
        throw failure(copy.errorString());
    temp.keep();
    syncToDisk(QFileInfo(to).absolutePath());
}

}  // namespace DbMaintenance
