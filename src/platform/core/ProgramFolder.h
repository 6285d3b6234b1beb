#pragma once

#include <QString>

// The folder every file of the program is named relative to: RACCOLIO_HOME when
// set (portable installs, tests), otherwise the folder of the executable.
namespace ProgramFolder {
QString path();
QString file(const QString& name);  // path() + "/" + name
}  // namespace ProgramFolder
