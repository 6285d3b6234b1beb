#include "transfer/CardImport.h"

#include <sqlite3.h>

#include <QHash>

#include "cards/Archives.h"
#include "platform/db/Database.h"

namespace {

std::string text(sqlite3_stmt* st, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return p ? std::string(p, std::size_t(sqlite3_column_bytes(st, column))) : std::string();
}

// The list a field's values belong to: its lookup table, or the keyword table.
const LookupDef* listOf(const ArchiveDef& archive, const QString& field) {
    for (const FieldDef& f : archive.fields)
        if (f.field == field) {
            if (f.kind == InputKind::Lookup)
                return Archives::lookupByTable(f.lookupTable);
            if (f.kind == InputKind::Keyword)
                return Archives::lookupByTable(Archives::keywordTable());
        }
    return nullptr;
}

}  // namespace

CardImport::CardImport(Database& db, const ArchiveDef& archive, const std::vector<bool>& mapped,
                       bool skipExisting)
    : db_(db), transaction_(db), skipExisting_(skipExisting) {
    QStringList columns, marks;
    for (const QString& f : archive.tableOrder) {
        columns << Database::quoteIdentifier(f);
        marks << QStringLiteral("?");
    }
    insert_ = db_.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(Database::quoteIdentifier(archive.table),
                                   columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));

    // One word set per list, shared by the keyword fields.
    QHash<QString, std::unordered_set<std::string>*> sets;
    for (int i = 0; i < archive.tableOrder.size(); ++i) {
        if (std::size_t(i) >= mapped.size() || !mapped[std::size_t(i)])
            continue;
        const LookupDef* list = listOf(archive, archive.tableOrder[i]);
        if (!list)
            continue;
        std::unordered_set<std::string>*& words = sets[list->table];
        if (!words) {
            wordSets_.push_back(std::make_unique<std::unordered_set<std::string>>());
            words = wordSets_.back().get();
            Statement read = db_.prepare(QStringLiteral("SELECT %1 FROM %2")
                                             .arg(Database::quoteIdentifier(list->wordField),
                                                  Database::quoteIdentifier(list->table)));
            while (read.step())
                words->insert(text(read.get(), 0));
        }
        const bool authors = list->opensAuthorsRegister();
        const QString insert =
            authors ? QStringLiteral("INSERT INTO %1 (%2, COGNOME, NOME) VALUES (?, ?, ?)")
                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (?)");
        lists_.push_back({std::size_t(i),
                          db_.prepare(insert.arg(Database::quoteIdentifier(list->table),
                                                 Database::quoteIdentifier(list->wordField))),
                          words, authors});
    }

    if (skipExisting_) {
        QStringList keyColumns;
        for (std::size_t i = 0; i < mapped.size(); ++i)
            if (mapped[i]) {
                keyFields_.push_back(i);
                keyColumns << Database::quoteIdentifier(archive.tableOrder[int(i)]);
            }
        if (keyFields_.empty()) {
            skipExisting_ = false;
        } else {
            Statement read = db_.prepare(QStringLiteral("SELECT %1 FROM %2")
                                             .arg(keyColumns.join(QLatin1Char(',')),
                                                  Database::quoteIdentifier(archive.table)));
            std::vector<std::string> row(archive.tableOrder.size());
            while (read.step()) {
                for (std::size_t k = 0; k < keyFields_.size(); ++k)
                    row[keyFields_[k]] = text(read.get(), int(k));
                existing_.insert(keyOf(row));
            }
        }
    }
}

CardImport::~CardImport() = default;

std::string CardImport::keyOf(const std::vector<std::string>& values) const {
    std::string key;
    for (std::size_t f : keyFields_) {
        key += values[f];
        key += '\x1f';
    }
    return key;
}

void CardImport::add(const std::vector<std::string>& values) {
    if (skipExisting_ && !existing_.insert(keyOf(values)).second) {
        ++result_.skipped;
        return;
    }
    sqlite3_stmt* st = insert_.get();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string& v = values[i];
        if (v.empty())
            sqlite3_bind_null(st, int(i) + 1);
        else
            sqlite3_bind_text(st, int(i) + 1, v.data(), int(v.size()), SQLITE_STATIC);
    }
    insert_.run();
    for (WordList& list : lists_) {
        const std::string& word = values[list.field];
        if (word.empty() || list.words->count(word))
            continue;
        sqlite3_stmt* words = list.insert.get();
        sqlite3_bind_text(words, 1, word.data(), int(word.size()), SQLITE_STATIC);
        if (list.authors) {
            // The full name reads surname, blank, first name: split at the first blank. A
            // single word is the surname; its full name keeps no trailing blank, so it
            // matches the card.
            const std::size_t blank = word.find(' ');
            const std::size_t surnameEnd = blank == std::string::npos ? word.size() : blank;
            const std::size_t nameStart = blank == std::string::npos ? word.size() : blank + 1;
            sqlite3_bind_text(words, 2, word.data(), int(surnameEnd), SQLITE_STATIC);
            sqlite3_bind_text(words, 3, word.data() + nameStart, int(word.size() - nameStart),
                              SQLITE_STATIC);
        }
        list.insert.run();
        list.words->insert(word);
        ++result_.wordsAdded;
    }
    ++result_.imported;
}

CardImport::Result CardImport::commit() {
    insert_ = Statement();
    lists_.clear();
    transaction_.commit();
    return result_;
}
