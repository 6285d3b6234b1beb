#pragma once

struct sqlite3;

// The ITALIAN collation of ordered record sets: accented letters sort with their base
// letter, capitals with small letters (albinoni, Bach, ébène, Élgar, Zappa), as
// QCollator orders for it_IT whatever the program's own locale.
namespace Collation {

inline constexpr const char* italian = "ITALIAN";
void registerItalian(sqlite3* db);  // done by Database::open on every connection

}  // namespace Collation
