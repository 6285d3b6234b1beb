#include "platform/core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace ProgramFolder {

QString path() {
    const QString home = qEnvironmentVariable("RACCOLIO_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString file(const QString& name) {
    return QDir(path()).filePath(name);
}

}  // namespace ProgramFolder
