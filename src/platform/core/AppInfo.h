#pragma once

#include <QString>

#include "raccolio_version.h"

// Names the whole program shares.
namespace AppInfo {
inline const QString title() {
    return QStringLiteral("Raccolio 5.5 Pro");
}
inline const QString catalogueFileName() {
    return QStringLiteral("RACCOLIO.MDB");
}
inline constexpr int versionMajor = RACCOLIO_VERSION_MAJOR;
inline constexpr int versionMinor = RACCOLIO_VERSION_MINOR;
inline constexpr int versionRevision = RACCOLIO_VERSION_PATCH;
}  // namespace AppInfo
