#include "prefs/VersionText.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/core/AppInfo.h"
#include "platform/core/HelpFile.h"
#include "platform/db/Database.h"

namespace VersionText {

QString padded(int number, int digits) {
    const QString text = QString::number(qAbs(number)).rightJustified(digits, QLatin1Char('0'));
    return number < 0 ? QLatin1Char('-') + text : text;
}

QString majorMinor(int major, int minor) {
    return padded(major, 1) + QLatin1Char('.') + padded(minor, 2);
}

QString revision(int revision) {
    return padded(revision, 4);
}

QString full(int major, int minor, int revision) {
    return QStringLiteral("Versione: ") + majorMinor(major, minor) + QLatin1Char('.') +
           VersionText::revision(revision);
}

}  // namespace VersionText

QString AboutInfo::programFileNameOf(const QString& executablePath) {
    return QFileInfo(executablePath).fileName().toUpper();
}

QString AboutInfo::legalNoticeText() {
    return QStringLiteral("Copyright © Brenvati. Tutti i diritti riservati.");
}

AboutInfo AboutInfo::current() {
    AboutInfo info;
    info.title = AppInfo::title();
    info.major = AppInfo::versionMajor;
    info.minor = AppInfo::versionMinor;
    info.revision = AppInfo::versionRevision;
    info.legalNotice = legalNoticeText();
    const QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                     : QStringLiteral("raccolio");
    info.programFileName = programFileNameOf(exe);
    info.helpFileName = HelpFile::fileName().toUpper();
    info.engineName = Database::engineName();
    info.engineVersion = Database::engineVersion();
    return info;
}
