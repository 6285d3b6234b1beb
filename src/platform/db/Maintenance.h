#pragma once

#include <QString>

// File-level operations on a catalogue file. The source must not be open for writing elsewhere.
namespace DbMaintenance {

// Compacts source into destination. A destination that exists raises
// AppError(DestinationExists) and is left untouched; a missing source raises
// FileNotFound. The copy is written under a temporary name, checked, then renamed.
void compact(const QString& sourcePath, const QString& destinationPath);

// Repairs in place. A healthy file is left as it is; a damaged one is salvaged table
// by table into a new file that replaces it only once complete. A file that is not
// an SQLite database raises AppError(NotACatalogue) and is left as it was.
// Returns true when something had to be salvaged.
bool repair(const QString& path);

// True when the file passes SQLite's integrity check.
bool isHealthy(const QString& path);

}  // namespace DbMaintenance
