#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

struct sqlite3;

// Criteria are parsed, never pasted into SQL:
//   criterion := term { (OR | AND) term }      (AND binds tighter than OR)
//   term      := [NOT] ( "(" criterion ")" | field LIKE "pattern" )
//   field     := NAME | TABLE.NAME | "(" field ")" | [NAME]
// Texts may be in double or single quotes; inside, a doubled quote stands for one.
// The pattern is matched by the SQL function raccolio_like(value, pattern).
namespace Criteria {

// A parsed criterion: what a planner looks at before any SQL is run.
struct Node {
    enum Kind { Like, And, Or, Not, Group } kind = Like;
    QString field;    // Like: the table's own spelling of the field
    QString pattern;  // Like: the pattern, quotes undone
    std::vector<Node> children;
};

// Parses a criterion against the fields of a table, with the errors of toSql.
Node parse(const QString& criterion, const QStringList& fields);

// Compiles a criterion against the fields of a table (case-insensitive names).
// Raises AppError(ItemNotFound) naming an unknown field, AppError(BadCriterion) on syntax.
// Returns an SQL expression using only quoted, checked field names and "?" parameters,
// whose values are appended to params.
QString toSql(const QString& criterion, const QStringList& fields, QVariantList& params);

// The pattern rules: * any run, ? one character, # one digit, [abc] [a-z] [!abc];
// case-insensitive also for accented letters; a Null value never matches.
bool like(const QString& value, const QString& pattern);

// A user's text as the quoted pattern "*text*" with its quotes doubled, ready to
// stand after LIKE in a criterion. Wildcards typed by the user keep their meaning.
QString quotedContainsPattern(const QString& userText);

// Registers raccolio_like on a connection (done by Database::open).
void registerFunctions(sqlite3* db);

}  // namespace Criteria

// A record-source text taken apart: "TABLE", "select T.* from T order by F",
// "SELECT T.* FROM T WHERE (crit) ORDER BY F DESC".
struct RecordSource {
    QString table;
    QString criterion;                               // empty: all rows
    QString orderBy;                                 // empty: table order; may end in " DESC"
    static RecordSource parse(const QString& text);  // BadCriterion on anything else
};
