#pragma once

#include <string>
#include <string_view>

struct sqlite3;

// The wildcard rules of criteria on UTF-8 text: * any run, ? one character, # one digit,
// [abc] [a-z] [!abc]; case-insensitive, also for accented letters.
namespace LikePattern {

bool matches(std::string_view valueUtf8, std::string_view patternUtf8);
// The case folding a literal of a pattern is compared with: two characters match when
// their foldings are equal.
char32_t foldCharacter(char32_t c);
// Appends one character, UTF-8 encoded.
void appendUtf8(std::string& s, char32_t c);
// Registers raccolio_like(value, pattern) on a connection; a Null never matches.
void registerSqlFunction(sqlite3* db);

}  // namespace LikePattern
