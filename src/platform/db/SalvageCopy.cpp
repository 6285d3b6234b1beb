#include "platform/db/SalvageCopy.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <algorithm>
#include <unordered_set>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/DerivedTables.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/db/TrigramIndex.h"

namespace SalvageCopy {

namespace {

const QString kSource = QStringLiteral("DbMaintenance");

// SQLite's own tables, and the tables the program derives from the archives: these are
// made again from the salvaged cards, not salvaged.
bool isInternal(const QString& name) {
    return name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ||
           DerivedTables::isDerived(name);
}

// SQLite's rule: a declared type with CHAR, CLOB or TEXT (and no INT) stores numbers as text.
bool textAffinity(const QString& declared) {
    const QString t = declared.toUpper();
    return !t.contains(QLatin1String("INT")) &&
           (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
            t.contains(QLatin1String("TEXT")));
}

// Makes one object of the damaged file's schema again. Its text is read from damaged bytes
// like the cards: only the first statement runs, as when SQLite reads a schema, and only when
// it makes an object of the entry's own kind.
void makeAgain(Database& target, const PageSalvage::SchemaEntry& e) {
    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+(?:UNIQUE\\s+)?(\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = create.match(e.sql);
    if (!m.hasMatch() || m.captured(1).compare(e.type, Qt::CaseInsensitive) != 0)
        throw AppError(ErrorCode::DatabaseError, kSource,
                       QStringLiteral("Lo schema non crea un oggetto di tipo %1").arg(e.type));
    target.prepare(e.sql).run();
}

// True for a table whose rows are keyed by their own columns: its pages hold no rowids to
// give back. The program makes none; another tool may have added one.
bool withoutRowid(Database& target, const QString& table) {
    const QList<QVariantList> rows =
        target.query(QStringLiteral("SELECT wr FROM pragma_table_list "
                                    "WHERE schema = 'main' AND name = ? COLLATE NOCASE"),
                     {table});
    return !rows.isEmpty() && rows.first().value(0).toInt() == 1;
}

struct Target {
    PageSalvage::TableShape shape;
    QStringList columns;  // quoted, in the table's order
    // By the number of fields a row brings: a row stored before a column was added lacks
    // it, and takes the column's default as SQLite itself reads such a row.
    std::vector<Statement> inserts;
    Statement stored;  // whether a rowid came already
    Statement erase;   // a cut row, when a whole copy of it comes later
    std::unordered_set<qint64> cut;  // rowids kept cut so far
    qint64 incomplete = 0;
    qint64 refused = 0;  // rows read but that the table's constraints turn away

    Statement& insertOf(Database& target, size_t fields) {
        if (inserts.size() <= fields)
            inserts.resize(fields + 1);
        Statement& insert = inserts[fields];
        if (!insert)
            insert = target.prepare(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(Database::quoteIdentifier(shape.name),
                         (QStringList{QStringLiteral("rowid")} + columns.mid(0, qsizetype(fields)))
                             .join(QStringLiteral(", ")),
                         QStringList(qsizetype(fields) + 1, QStringLiteral("?"))
                             .join(QStringLiteral(", "))));
        return insert;
    }
};

void bindValue(sqlite3_stmt* st, int index, const PageSalvage::Value& v, int encoding) {
    using Kind = PageSalvage::Value::Kind;
    switch (v.kind) {
    case Kind::Null:
        sqlite3_bind_null(st, index);
        break;
    case Kind::Integer:
        sqlite3_bind_int64(st, index, v.integer);
        break;
    case Kind::Real:
        sqlite3_bind_double(st, index, v.real);
        break;
    case Kind::Text:
        sqlite3_bind_text64(st, index, v.bytes.constData(), quint64(v.bytes.size()),
                            SQLITE_TRANSIENT, static_cast<unsigned char>(encoding));
        break;
    case Kind::Blob:
        sqlite3_bind_blob64(st, index, v.bytes.constData(), quint64(v.bytes.size()),
                            SQLITE_TRANSIENT);
        break;
    }
}

}  // namespace

DbMaintenance::RepairReport copy(PageSalvage::Reader& reader, Database& target,
                                 const std::vector<DbMaintenance::KnownTable>& known,
                                 const PageSalvage::Reader::Progress& progress) {
    const PageSalvage::Schema schema = reader.schema();
    if (!schema.complete)
        qCWarning(lcDb) << "salvage: the schema is damaged;" << schema.entries.size()
                        << "entries read";
    Transaction transaction(target);
    std::vector<Target> tables;
    std::vector<DbMaintenance::RepairReport::Table> unsalvaged;
    QStringList made;
    for (const PageSalvage::SchemaEntry& e : schema.entries) {
        if (e.type != QLatin1String("table") || isInternal(e.name) || e.sql.isEmpty() ||
            e.rootPage <= 0 || made.contains(e.name, Qt::CaseInsensitive))
            continue;
        try {
            makeAgain(target, e);
        } catch (const AppError& error) {
            qCWarning(lcDb).noquote() << "salvage: table" << e.name
                                      << "cannot be made again:" << error.description();
            continue;
        }
        made << e.name;
        if (withoutRowid(target, e.name)) {
            // Made again empty, so that its indexes, views and triggers still fit.
            const qint64 rows = reader.indexEntries(e.rootPage);
            qCWarning(lcDb).noquote()
                << "salvage: table" << e.name << "has no rowids; its"
                << (rows < 0 ? QStringLiteral("uncounted") : QString::number(rows))
                << "rows are not salvaged";
            unsalvaged.push_back({e.name, 0, rows});
            continue;
        }
        tables.push_back({{e.name, e.rootPage, 0, {}}, {}, {}, {}, {}, {}});
    }
    for (const DbMaintenance::KnownTable& k : known) {
        if (made.contains(k.name, Qt::CaseInsensitive))
            continue;
        target.createTable(k.name, k.fields);
        made << k.name;
        tables.push_back({{k.name, 0, 0, {}}, {}, {}, {}, {}, {}});
    }
    if (tables.empty())
        throw AppError(ErrorCode::DatabaseError, kSource,
                       QStringLiteral("Nessuna tabella del database danneggiato è leggibile"));
    // The derived tables are walked but not copied: their pages are then known as theirs,
    // never strays that could pass for cards of an archive.
    const size_t copied = tables.size();
    for (const PageSalvage::SchemaEntry& e : schema.entries)
        if (e.type == QLatin1String("table") && DerivedTables::isDerived(e.name) && e.rootPage > 0)
            tables.push_back({{e.name, e.rootPage, 0, {}}, {}, {}, {}, {}, {}});

    std::vector<PageSalvage::TableShape> shapes;
    for (size_t i = 0; i < tables.size(); ++i) {
        Target& t = tables[i];
        if (i >= copied) {
            shapes.push_back(t.shape);  // no columns: none of its rows is kept
            continue;
        }
        for (const QVariantList& c :
             target.query(QStringLiteral("PRAGMA table_info(%1)")
                              .arg(Database::quoteIdentifier(t.shape.name)))) {
            t.columns << Database::quoteIdentifier(c.value(1).toString());
            t.shape.textOnly.push_back(textAffinity(c.value(2).toString()));
        }
        t.shape.columns = int(t.columns.size());
        t.stored = target.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?")
                                      .arg(Database::quoteIdentifier(t.shape.name)));
        t.erase = target.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?")
                                     .arg(Database::quoteIdentifier(t.shape.name)));
        shapes.push_back(t.shape);
    }

    DbMaintenance::RepairReport report;
    report.salvaged = true;
    for (size_t i = 0; i < copied; ++i)
        report.tables.push_back({tables[i].shape.name, 0, 0});
    report.tables.insert(report.tables.end(), unsalvaged.begin(), unsalvaged.end());
    const int encoding = reader.encoding() == PageSalvage::Encoding::Utf16le   ? SQLITE_UTF16LE
                         : reader.encoding() == PageSalvage::Encoding::Utf16be ? SQLITE_UTF16BE
                                                                               : SQLITE_UTF8;
    const PageSalvage::Outcome outcome = reader.salvage(
        shapes,
        [&](int table, qint64 rowid, const std::vector<PageSalvage::Value>& values, bool cut) {
            if (size_t(table) >= copied)
                return;
            Target& t = tables[size_t(table)];
            t.stored.bindInt64(1, rowid);
            const bool again = t.stored.step();
            t.stored.reset();
            // The first copy of a rowid wins, unless it came cut and this one is whole.
            const bool replaces = again && !cut && t.cut.count(rowid) > 0;
            if (again && !replaces)
                return;
            if (replaces) {
                // Undone if the whole copy is refused: the cut one then stays.
                target.exec(QStringLiteral("SAVEPOINT whole"));
                t.erase.bindInt64(1, rowid);
                t.erase.run();
            }
            const size_t fields = std::min(values.size(), size_t(t.columns.size()));
            sqlite3_stmt* st = t.insertOf(target, fields).get();
            sqlite3_bind_int64(st, 1, rowid);
            for (size_t i = 0; i < fields; ++i)
                bindValue(st, int(i) + 2, values[i], encoding);
            const int rc = sqlite3_step(st);
            if (rc == SQLITE_DONE) {
                if (replaces) {
                    t.cut.erase(rowid);
                    --t.incomplete;  // the card was counted recovered already
                } else {
                    ++report.tables[size_t(table)].recovered;
                    if (cut) {
                        t.cut.insert(rowid);
                        ++t.incomplete;
                    }
                }
            } else if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
                qCWarning(lcDb).noquote() << "salvage: row" << rowid << "of" << t.shape.name
                                          << "refused -" << sqlite3_errmsg(target.handle());
                if (replaces) {
                    sqlite3_reset(st);
                    target.exec(QStringLiteral("ROLLBACK TO whole"));
                } else {
                    ++t.refused;
                }
            } else {
                const AppError error = Database::lastError(target.handle(), kSource);
                sqlite3_reset(st);
                throw error;
            }
            sqlite3_reset(st);
            if (replaces)
                target.exec(QStringLiteral("RELEASE whole"));
        },
        progress);
    for (size_t i = 0; i < copied; ++i) {
        const PageSalvage::TableOutcome& o = outcome.tables[i];
        DbMaintenance::RepairReport::Table& r = report.tables[i];
        r.incomplete = tables[i].incomplete;
        r.lost = o.lostKnown ? o.lost + tables[i].refused : -1;
        if (o.lostKnown || !o.bounded)
            continue;
        // Rowids of a damaged page's range that did not come back elsewhere.
        qint64 most = o.lost + tables[i].refused;
        Statement within = target.prepare(
            QStringLiteral("SELECT count(*) FROM %1 WHERE rowid > ? AND rowid <= ?")
                .arg(Database::quoteIdentifier(r.name)));
        for (const auto& [lo, hi] : o.unreadable) {
            within.bindInt64(1, lo);
            within.bindInt64(2, hi);
            within.step();
            // lo < hi, so the difference fits unsigned; a vast range says nothing.
            const quint64 span = quint64(hi) - quint64(lo);
            if (span > (quint64(1) << 40)) {
                most = -1;
                break;
            }
            most += qint64(span) - within.int64(0);
            within.reset();
        }
        r.lostAtMost = most;
        if (most == 0)
            r.lost = 0;  // every row of the damaged ranges came back from other pages
    }
    report.unassigned = outcome.unassigned;

    // Indexes, views and triggers come after the rows; one that no longer fits is dropped.
    for (const PageSalvage::SchemaEntry& e : schema.entries) {
        if (e.type == QLatin1String("table") || isInternal(e.name) || e.sql.isEmpty())
            continue;
        try {
            makeAgain(target, e);
        } catch (const AppError& error) {
            qCWarning(lcDb).noquote()
                << "repair: dropped" << e.type << e.name << "-" << error.description();
        }
    }
    // The search indexes the damaged file had come back over the salvaged cards. With the
    // schema lost, a search offers to build them when first needed.
    QStringList indexed;
    for (const QString& table : made)
        for (const PageSalvage::SchemaEntry& e : schema.entries)
            if (e.name.compare(TrigramIndex::indexName(table), Qt::CaseInsensitive) == 0)
                indexed << table;
    TrigramIndex::rebuild(target, indexed);
    transaction.commit();
    return report;
}

}  // namespace SalvageCopy
