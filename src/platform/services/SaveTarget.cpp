#include "platform/services/SaveTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/core/AppInfo.h"
#include "platform/core/FileIdentity.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/Database.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"


namespace SaveTarget {

namespace {

// The path with its folder resolved, for a file that may not exist yet.
QString resolved(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

}  // namespace

QString overwriteQuestion() {
    return QStringLiteral("Il file selezionato è già presente. Sovrascriverlo ?");
}

QStringList programFiles(const SettingsStore& settings) {
    QStringList files;
    for (const QString& name : {AppInfo::catalogueFileName(), QStringLiteral("RACCOLIO.BK4"),
                                QStringLiteral("RACCOLIO.VID")})
        files << ProgramFolder::file(name);
    for (const QString& open : Database::openFiles())
        files << open;
    // SQLite's rollback journal beside each database is part of it until a commit ends.
    for (const QString& f : QStringList(files))
        files << f + QStringLiteral("-journal");
    files << settings.fileForKey(SettingsStore::keyPath());
    // The single-instance lock of every program folder, in the temporary folder.
    const QDir temp = QDir::temp();
    for (const QString& name :
         temp.entryList({QStringLiteral("raccolio-*.lock")}, QDir::Files | QDir::Hidden))
        files << temp.filePath(name);
    const QDir data(ProgramFolder::dataPath());
    for (const QString& name :
         data.entryList({QStringLiteral("*.RPT"), QStringLiteral("*.rpt"),
                         QStringLiteral("RACCOLIO.HLP"), QStringLiteral("attori.dat")},
                        QDir::Files))
        files << data.filePath(name);
    return files;
}

bool sameFile(const QString& a, const QString& b) {
    const QByteArray idA = fileIdentity(a);
    const QByteArray idB = fileIdentity(b);
    if (!idA.isEmpty() && !idB.isEmpty())
        return idA == idB;
    return resolved(a) == resolved(b);
}

QString refusal(const QString& path, const SettingsStore& settings) {
    for (const QString& f : programFiles(settings)) {
        if (sameFile(path, f))
            return QStringLiteral(
                       "Il file %1 è usato da %2 e non può essere sovrascritto. "
                       "Scegliere un altro nome.")
                .arg(QDir::toNativeSeparators(path), AppInfo::title());
    }
    return {};
}

bool confirm(const QString& path, Services& services) {
    if (const QString refused = refusal(path, services.settings); !refused.isEmpty()) {
        services.messages.critical(refused);
        return false;
    }
    return !QFileInfo::exists(path) || services.messages.question(overwriteQuestion());
}

}  // namespace SaveTarget
