#pragma once

#include <vector>

#include "platform/db/Maintenance.h"
#include "platform/db/PageSalvage.h"

class Database;

namespace SalvageCopy {

// Writes every row the reader salvages into `target`, an empty database, inside one
// transaction: tables first (from the damaged file's schema where it is readable, else from
// `known`), then the rows with their rowids, then indexes, views and triggers. The first copy
// of a rowid wins; a row the table's constraints refuse is counted lost. A table without
// rowids is made again empty, its rows counted lost. Raises AppError when no table at all
// can be made out.
DbMaintenance::RepairReport copy(PageSalvage::Reader& reader, Database& target,
                                 const std::vector<DbMaintenance::KnownTable>& known,
                                 const PageSalvage::Reader::Progress& progress);

}  // namespace SalvageCopy
