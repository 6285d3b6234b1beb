#include "registers/FileListChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "platform/core/AppError.h"

namespace FileListChooser {

QStringList patterns() {
    return {QStringLiteral("*.*"),   QStringLiteral("*.arc"), QStringLiteral("*.arj"),
            QStringLiteral("*.bmp"), QStringLiteral("*.com"), QStringLiteral("*.doc"),
            QStringLiteral("*.exe"), QStringLiteral("*.gif"), QStringLiteral("*.jpg"),
            QStringLiteral("*.lzh"), QStringLiteral("*.rar"), QStringLiteral("*.txt"),
            QStringLiteral("*.xls"), QStringLiteral("*.zip")};
}

QString sourceCaption() {
    return QStringLiteral(
        "Elenco files di origine (doppio click su un file per l'inserimento nella lista "
        "d'esportazione).");
}

QString exportCaption() {
    return QStringLiteral("Lista files di esportazione (tasto destro su un file per le opzioni).");
}

QString fullPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QStringList matchingFiles(const QString& folder, const QString& pattern) {
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir() || !dir.isReadable())
        throw AppError(ErrorCode::FileError, folder,
                       QStringLiteral("Impossibile leggere la cartella"));
    // "*.*" means every file, also one without a dot in its name.
    const QString filter = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
    QStringList paths;
    const QStringList names = dir.entryList({filter}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << fullPath(folder, name);
    return paths;
}

QString homeFolder() {
    return QDir::homePath();
}

QStringList drives() {
    QStringList result{QStringLiteral("/"), homeFolder()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (root.startsWith(QLatin1String("/media/")) ||
            root.startsWith(QLatin1String("/run/media/")))
            result << root;
    }
    result.removeDuplicates();
    return result;
}

bool moveEntry(QStringList& from, int index, QStringList& to) {
    if (index < 0 || index >= from.size())
        return false;
    to << from.takeAt(index);
    return true;
}

QString appendLines(QString fileList, const QStringList& entries) {
    for (const QString& entry : entries)
        fileList = fileList.isEmpty() ? entry : fileList + QLatin1Char('\n') + entry;
    return fileList;
}

}  // namespace FileListChooser
