#pragma once

#include <string_view>

struct sqlite3;

// The wildcard rules of criteria on UTF-8 text: * any run, ? one character, # one digit,
// [abc] [a-z] [!abc]; case-insensitive, also for accented letters.
namespace LikePattern {

bool matches(std::string_view valueUtf8, std::string_view patternUtf8);
// Registers raccolio_like(value, pattern) on a connection; a Null never matches.
void registerSqlFunction(sqlite3* db);

}  // namespace LikePattern
