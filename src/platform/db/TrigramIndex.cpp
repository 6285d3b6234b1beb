#include "platform/db/TrigramIndex.h"

#include <sqlite3.h>

#include <optional>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

namespace TrigramIndex {

namespace {

const QString kSource = QStringLiteral("TrigramIndex");
const QString kPrefix = QStringLiteral("raccolio_trigram_");

// The triggers, by what they follow.
QString triggerName(const QString& table, const char* suffix) {
    return indexName(table) + QLatin1String(suffix);
}

QString quoteText(const QString& text) {
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// "prefix.F1, prefix.F2, ..." or the bare names.
QString columnList(const QStringList& fields, const QString& prefix = {}) {
    QStringList out;
    for (const QString& f : fields)
        out << prefix + Database::quoteIdentifier(f);
    return out.join(QStringLiteral(", "));
}

void dropIfThere(Database& db, const QString& table) {
    for (const char* suffix : {"_ai", "_ad", "_au"})
        db.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1")
                    .arg(Database::quoteIdentifier(triggerName(table, suffix))));
    db.exec(
        QStringLiteral("DROP TABLE IF EXISTS %1").arg(Database::quoteIdentifier(indexName(table))));
}

// detail=none keeps no positions (a criterion is checked on the card anyway), and
// columnsize=0 no per-card sizes: together they keep the index small.
void createAndFill(Database& db, const QString& tableName) {
    const QString table = db.canonicalTableName(tableName);
    const QStringList fields = db.fieldNames(table);
    const QString index = Database::quoteIdentifier(indexName(table));
    const QString source = Database::quoteIdentifier(table);
    const QString cols = columnList(fields);
    db.exec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content=%3, "
                           "tokenize='trigram case_sensitive 0', detail=none, columnsize=0)")
                .arg(index, cols, quoteText(table)));
    const QString added = QStringLiteral("INSERT INTO %1(rowid, %2) VALUES (new.rowid, %3);")
                              .arg(index, cols, columnList(fields, QStringLiteral("new.")));
    // External content: the index is told the old values to take out.
    const QString removed =
        QStringLiteral("INSERT INTO %1(%1, rowid, %2) VALUES ('delete', old.rowid, %3);")
            .arg(index, cols, columnList(fields, QStringLiteral("old.")));
    const auto trigger = [&](const char* suffix, const char* event, const QString& body) {
        db.exec(QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 BEGIN %4 END")
                    .arg(Database::quoteIdentifier(triggerName(table, suffix)),
                         QLatin1String(event), source, body));
    };
    trigger("_ai", "INSERT", added);
    trigger("_ad", "DELETE", removed);
    trigger("_au", "UPDATE", removed + QLatin1Char(' ') + added);
    db.exec(QStringLiteral("INSERT INTO %1(%1) VALUES ('rebuild')").arg(index));
}

// Runs work in the caller's transaction, or in one of its own, under the tick. False
// when the tick stopped it; then nothing is changed.
bool underTick(Database& db, const ProgressScope::Tick& tick, const std::function<void()>& work) {
    std::optional<Transaction> own;
    if (sqlite3_get_autocommit(db.handle()))
        own.emplace(db);
    {
        ProgressScope scope(db.handle(), tick);
        try {
            work();
        } catch (const AppError&) {
            scope.rethrowIfFailed();
            if (!scope.interrupted())
                throw;
            return false;  // the transaction rolls back (the caller's, when it is its)
        }
    }
    if (own)
        own->commit();
    return true;
}

}  // namespace

QString indexName(const QString& table) {
    return kPrefix + table;
}

bool isDerivedName(const QString& name) {
    return name.startsWith(kPrefix, Qt::CaseInsensitive);
}

bool exists(Database& db, const QString& table) {
    const QString index = indexName(table);
    const auto rows = db.query(
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE (type='table' AND name=?1 "
                       "COLLATE NOCASE) OR (type='trigger' AND name COLLATE NOCASE IN (?2, ?3, "
                       "?4) AND tbl_name=?5 COLLATE NOCASE)"),
        {index, index + QStringLiteral("_ai"), index + QStringLiteral("_ad"),
         index + QStringLiteral("_au"), table});
    return rows.value(0).value(0).toInt() == 4;
}

QStringList indexedFields(Database& db, const QString& table) {
    if (!exists(db, table))
        return {};
    QStringList fields;
    for (const QVariantList& row :
         db.query(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"),
                  {indexName(table)}))
        fields << row.value(0).toString();
    return fields;
}

void create(Database& db, const QString& table) {
    createAndFill(db, table);
}

bool build(Database& db, const QString& table, const ProgressScope::Tick& tick) {
    if (exists(db, table))
        return true;
    if (db.isReadOnly())
        return false;
    return underTick(db, tick, [&] {
        dropIfThere(db, table);  // a half index another tool left
        createAndFill(db, table);
    });
}

void drop(Database& db, const QString& table) {
    dropIfThere(db, table);
}

QStringList indexedTables(Database& db) {
    QStringList tables;
    for (const QVariantList& row :
         db.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY "
                                 "rowid"))) {
        const QString name = row.value(0).toString();
        if (!isDerivedName(name) && exists(db, name))
            tables << name;
    }
    return tables;
}

bool rebuild(Database& db, const QStringList& tables, const ProgressScope::Tick& tick) {
    return underTick(db, tick, [&] {
        for (const QString& table : tables) {
            dropIfThere(db, table);
            createAndFill(db, table);
        }
    });
}

bool rebuild(Database& db) {
    return rebuild(db, indexedTables(db));
}

bool passesIntegrityCheck(Database& db) {
    for (const QString& table : indexedTables(db)) {
        try {
            // rank 1: also compares the index with the table's own values.
            db.query(QStringLiteral("INSERT INTO %1(%1, rank) VALUES ('integrity-check', 1)")
                         .arg(Database::quoteIdentifier(indexName(table))));
        } catch (const AppError& e) {
            qCWarning(lcDb).noquote()
                << "the search index of" << table << "does not match it:" << e.description();
            return false;
        }
    }
    return true;
}

}  // namespace TrigramIndex
