#include "platform/db/FileReplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <filesystem>
#include <limits>

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

void flushToDisk(const QString& path) {
    syncToDisk(path);
}

}  // namespace DbMaintenance
