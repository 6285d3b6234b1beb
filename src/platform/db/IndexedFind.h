#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

#include "platform/db/Criteria.h"

class Database;

// Between a criterion and a table's trigram index (TrigramIndex.h): which rows can match.
// From each Like test it takes the literal runs of three characters or more between the
// wildcards, and asks the index for the rows holding every trigram of them. The rows it
// names are a superset of the rows the criterion matches, never fewer; the criterion
// itself, through raccolio_like, decides among them, so a find through the index answers
// exactly what a scan answers, in the same order.
namespace IndexedFind {

// The FTS5 query naming the candidates of a parsed criterion, for an index over
// `indexedFields`; empty when the index cannot narrow it (NOT, a test without a usable
// run, an OR with one such branch): then the rows are scanned.
QString candidateQuery(const Criteria::Node& criterion, const QStringList& indexedFields);

// The literal runs of a pattern the index can use, as they will be looked up: at least
// three characters, each folded alike by raccolio_like and by the index's tokenizer.
QStringList usableRuns(const QString& pattern);

// Which characters (by code point) a run may hold, given how the index's tokenizer folds
// each one: those whose every look-alike for raccolio_like (same folding there) the
// tokenizer folds alike too. The tokenizer is asked once, when the first search plans.
std::vector<bool> agreeingCharacters(const std::vector<char32_t>& tokenizerFolding);

// What a search over a table needs to go through its index.
struct Plan {
    QString index;  // the index's table; empty: scan
    QString match;  // the FTS5 query
    bool usable() const { return !index.isEmpty(); }
    // "rowid IN (SELECT rowid FROM index WHERE index MATCH ?)", its parameter in params.
    QString candidateFilter(QVariantList& params) const;
};

// The plan for a criterion over a table: usable when the table has its index and the
// criterion can be narrowed by it. Syntax and unknown fields raise as Criteria::toSql.
Plan plan(Database& db, const QString& table, const QString& criterion);

// True when the criterion could go through an index the table lacks (a search offers to
// build it first); false when it has one or the criterion would scan anyway.
bool wouldUseMissingIndex(Database& db, const QString& table, const QString& criterion);

}  // namespace IndexedFind
