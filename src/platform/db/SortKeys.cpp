#include "platform/db/SortKeys.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <memory>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

namespace {

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// Set up as QCollator sets up its ICU collator for it_IT (normalisation on, default
// strength, punctuation not ignored, no numeric mode), so that the keys order exactly as
// the ITALIAN collation of the card lists compares.
const UCollator* collator() {
    static const std::unique_ptr<UCollator, CollatorCloser> shared = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorCloser> c(ucol_open("it_IT", &status));
        if (U_FAILURE(status))
            throw AppError(ErrorCode::DatabaseError, QStringLiteral("Database"),
                           QStringLiteral("Impossibile preparare l'ordinamento italiano (%1)")
                               .arg(QString::fromUtf8(u_errorName(status))));
        ucol_setAttribute(c.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(c.get(), UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
        ucol_setAttribute(c.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(c.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        return c;
    }();
    return shared.get();
}

// Keys made by another ICU may order differently: the version is part of the index name.
QString collatorVersion() {
    UVersionInfo version;
    ucol_getVersion(collator(), version);
    return QStringLiteral("icu%1_%2_%3_%4")
        .arg(version[0])
        .arg(version[1])
        .arg(version[2])
        .arg(version[3]);
}

// A key ends in a 0 byte and holds no other, so keys of several fields laid end to end
// compare field by field; a Null field is the lone 0 byte, before every text.
void appendKey(QByteArray& key, const char16_t* text, int length) {
    const qsizetype start = key.size();
    key.resize(start + 4 * length + 16);
    int32_t needed =
        ucol_getSortKey(collator(), text, length, reinterpret_cast<uint8_t*>(key.data() + start),
                        int32_t(key.size() - start));
    if (needed > key.size() - start) {
        key.resize(start + needed);
        needed = ucol_getSortKey(collator(), text, length,
                                 reinterpret_cast<uint8_t*>(key.data() + start), needed);
    }
    key.resize(start + needed);
}

void keyFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    QByteArray key;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            key.append('\0');
            continue;
        }
        const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(argv[i]));
        appendKey(key, text ? text : u"", sqlite3_value_bytes16(argv[i]) / 2);
    }
    sqlite3_result_blob64(context, key.constData(), sqlite3_uint64(key.size()), SQLITE_TRANSIENT);
}

constexpr const char* kKeyFunction = "raccolio_chiave_italiana";

bool exists(Database& db, const QString& type, const QString& name) {
    return !db.query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type=? AND name=?"),
                     {type, name})
                .isEmpty();
}

}  // namespace

namespace SortKeys {

QString prepare(Database& db, const QString& table, const QStringList& fields, qint64 records) {
    const QString name = QStringLiteral("raccolio_chiavi_%1_%2").arg(table, fields.join(u'_'));
    const QString index = name + u'_' + collatorVersion();
    const QString onInsert = name + QStringLiteral("_ins"),
                  onUpdate = name + QStringLiteral("_upd"),
                  onDelete = name + QStringLiteral("_del");
    const QString q = Database::quoteIdentifier(name), t = Database::quoteIdentifier(table);
    QStringList quoted, changed;
    for (const QString& f : fields) {
        quoted << Database::quoteIdentifier(f);
        changed << QStringLiteral("old.%1 IS NOT new.%1").arg(quoted.last());
    }
    // Triggers go with a dropped table; a table made anew under the same name (the result
    // tables of a search) finds keys of rows long gone. Rows deleted with triggers disabled
    // leave a count that differs. A plain VACUUM numbers the rows of a table without an
    // INTEGER PRIMARY KEY afresh (1, 2, 3...), which changes the highest rowid whenever it
    // changes any.
    const auto matches = [&] {
        const QVariantList sizes =
            db.query(QStringLiteral("SELECT (SELECT COUNT(*) FROM %1), (SELECT max(id) FROM %1), "
                                    "(SELECT max(rowid) FROM %2)")
                         .arg(q, t))
                .value(0);
        return sizes.value(0).toLongLong() == records && sizes.value(1) == sizes.value(2);
    };
    const auto sound = [&] {
        return exists(db, QStringLiteral("table"), name) &&
               exists(db, QStringLiteral("index"), index) &&
               exists(db, QStringLiteral("trigger"), onInsert) &&
               exists(db, QStringLiteral("trigger"), onUpdate) &&
               exists(db, QStringLiteral("trigger"), onDelete) && matches();
    };
    const auto fresh = [&] {
        return db.query(QStringLiteral("SELECT 1 FROM %1 WHERE k IS NULL LIMIT 1").arg(q))
            .isEmpty();
    };
    const bool wasSound = sound();
    if (db.isReadOnly())
        return wasSound && fresh() ? name : QString();

    try {
        if (sqlite3_create_function_v2(db.handle(), kKeyFunction, -1,
                                       SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, keyFunction,
                                       nullptr, nullptr, nullptr) != SQLITE_OK)
            db.fail(QStringLiteral("Database"));
        const QString keyOf = QStringLiteral("%1(%2)").arg(QLatin1String(kKeyFunction));
        Transaction transaction(db);
        if (!wasSound) {
            // Earlier versions ordered through an index of the table itself, in SQLite's
            // ASCII-only NOCASE: it is of no more use.
            db.exec(QStringLiteral("DROP INDEX IF EXISTS ") +
                    Database::quoteIdentifier(
                        QStringLiteral("raccolio_ordine_%1_%2").arg(table, fields.join(u'_'))));
            for (const QString& trigger : {onInsert, onUpdate, onDelete})
                db.exec(QStringLiteral("DROP TRIGGER IF EXISTS ") +
                        Database::quoteIdentifier(trigger));
            db.exec(QStringLiteral("DROP TABLE IF EXISTS ") + q);
            db.exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, k BLOB)").arg(q));
            db.exec(QStringLiteral("INSERT INTO %1 (id, k) SELECT rowid, %2 FROM %3")
                        .arg(q, keyOf.arg(quoted.join(u',')), t));
            db.exec(QStringLiteral("CREATE INDEX %1 ON %2 (k)")
                        .arg(Database::quoteIdentifier(index), q));
            // Only SQLite's own SQL here: any tool that writes the table runs these.
            db.exec(QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN "
                                   "DELETE FROM %3 WHERE id = new.rowid; "
                                   "INSERT INTO %3 (id, k) VALUES (new.rowid, NULL); END")
                        .arg(Database::quoteIdentifier(onInsert), t, q));
            db.exec(QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON %2 "
                                   "WHEN old.rowid IS NOT new.rowid OR %4 BEGIN "
                                   "DELETE FROM %3 WHERE id = old.rowid OR id = new.rowid; "
                                   "INSERT INTO %3 (id, k) VALUES (new.rowid, NULL); END")
                        .arg(Database::quoteIdentifier(onUpdate), t, q,
                             changed.join(QStringLiteral(" OR "))));
            db.exec(QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 BEGIN "
                                   "DELETE FROM %3 WHERE id = old.rowid; END")
                        .arg(Database::quoteIdentifier(onDelete), t, q));
        } else {
            QStringList values;
            for (const QString& f : quoted)
                values << QStringLiteral("r.") + f;
            db.exec(QStringLiteral("UPDATE %1 SET k = (SELECT %2 FROM %3 AS r WHERE r.rowid = "
                                   "%1.id) WHERE k IS NULL")
                        .arg(q, keyOf.arg(values.join(u',')), t));
        }
        transaction.commit();
        return name;
    } catch (const AppError& e) {
        // A catalogue that cannot be written (or is busy): keys that are already whole
        // still serve; otherwise the caller sorts.
        qCInfo(lcDb).noquote() << "no order keys for" << table << "-" << e.description();
        return wasSound && fresh() ? name : QString();
    }
}

}  // namespace SortKeys
