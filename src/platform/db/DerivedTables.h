#pragma once

#include <QString>

// Tables the program derives from the archives (the report order keys of SortKeys, the
// trigram search indexes of TrigramIndex), with their indexes and triggers, all named
// "raccolio_...": a name no archive, list or result table takes. Whatever lists a
// catalogue's tables passes them over, and a salvage copies none of them: they are made
// again from the archives.
namespace DerivedTables {

bool isDerived(const QString& name);

}  // namespace DerivedTables
