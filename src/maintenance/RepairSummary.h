#pragma once

#include <QString>

#include "maintenance/CatalogueFiles.h"

// The closing words of a repair, in one place for the command and for start-up.
namespace RepairSummary {

// A healthy catalogue gets the plain success message; a salvaged one, per archive, the cards
// brought back (and of those, the ones with fields cut short) and those lost (when they can
// be counted), and the name of the kept file.
QString message(const CatalogueFiles::RepairOutcome& outcome);

}  // namespace RepairSummary
