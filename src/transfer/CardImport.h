#pragma once

#include <QString>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

struct ArchiveDef;
class Database;

// Storing cards that come in from a file: everything in one transaction, so a file is
// taken whole or not at all. Values of lookup fields (and keywords) missing from their
// list join the list, so the card's combo offers them. A new author gets a surname and a
// first name as well, split from the name the card shows, so that the authors register
// rebuilds the same full name from them.
class CardImport {
public:
    struct Result {
        qint64 imported = 0;
        qint64 skipped = 0;
        qint64 wordsAdded = 0;
    };

    // Opens the transaction. `mapped`: the fields (table order) the file fills; with
    // skipExisting a row equal on all of them to a card already there is passed over.
    CardImport(Database& db, const ArchiveDef& archive, const std::vector<bool>& mapped,
               bool skipExisting);
    ~CardImport();
    CardImport(const CardImport&) = delete;
    CardImport& operator=(const CardImport&) = delete;

    // One card, values in table order as UTF-8 (empty: no value).
    void add(const std::vector<std::string>& values);
    // Makes it all durable. Without it (an error, a cancel) nothing is stored.
    Result commit();
    const Result& result() const { return result_; }

private:
    struct WordList {
        std::size_t field;
        Statement insert;
        std::unordered_set<std::string>* words;
        bool authors;  // AUTORI: the insert takes the full name, surname and first name
    };
    std::string keyOf(const std::vector<std::string>& values) const;

    Database& db_;
    Transaction transaction_;
    Statement insert_;
    std::vector<WordList> lists_;
    std::vector<std::unique_ptr<std::unordered_set<std::string>>> wordSets_;
    std::vector<std::size_t> keyFields_;
    bool skipExisting_;
    std::unordered_set<std::string> existing_;
    Result result_;
};
