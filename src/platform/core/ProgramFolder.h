#pragma once

#include <QString>

// Two folders the program names its files relative to:
// - the data folder, read-only: help file, report templates, attori.dat, pictures;
// - the catalogue folder, writable: RACCOLIO.MDB, RACCOLIO.BK4, RACCOLIO.VID, the
//   single-instance lock, temporary copies.
// RACCOLIO_HOME, when set (portable installs, tests), is both. Otherwise a build tree
// (the data laid beside the executable) is both; an installed program
// (<prefix>/bin/raccolio with <prefix>/share/raccolio) reads its data from
// <prefix>/share/raccolio and keeps its catalogue in $XDG_DATA_HOME/raccolio
// (~/.local/share/raccolio), since the install folder is not writable.
namespace ProgramFolder {
QString path();                         // the catalogue folder
QString file(const QString& name);      // path() + "/" + name
QString dataPath();                     // the data folder
QString dataFile(const QString& name);  // dataPath() + "/" + name
}  // namespace ProgramFolder
