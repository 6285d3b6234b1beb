#include "platform/core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramFolder {

namespace {

QString home() {
    const QString home = qEnvironmentVariable("RACCOLIO_HOME");
    return home.isEmpty() ? QString() : QDir(home).absolutePath();
}

QString executableFolder() {
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                        : QDir::currentPath();
}

// <prefix>/share/raccolio when the executable sits in <prefix>/bin beside it, else empty.
QString installedDataFolder() {
    if (!QCoreApplication::instance())
        return {};
    const QString share =
        QDir::cleanPath(executableFolder() + QStringLiteral("/../share/raccolio"));
    return QFileInfo(share).isDir() ? share : QString();
}

}  // namespace

QString path() {
    if (const QString h = home(); !h.isEmpty())
        return h;
    if (installedDataFolder().isEmpty())
        return executableFolder();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/raccolio");
    // Made on first use: a new user has none, and the catalogue is created inside it.
    QDir().mkpath(folder);
    return folder;
}

QString file(const QString& name) {
    return QDir(path()).filePath(name);
}

QString dataPath() {
    if (const QString h = home(); !h.isEmpty())
        return h;
    const QString installed = installedDataFolder();
    return installed.isEmpty() ? executableFolder() : installed;
}

QString dataFile(const QString& name) {
    return QDir(dataPath()).filePath(name);
}

}  // namespace ProgramFolder
