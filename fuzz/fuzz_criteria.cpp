// Criteria and record sources typed by the user or read from templates: the parser
// either refuses them with an AppError or returns SQL that SQLite accepts as it is.
#include <sqlite3.h>

#include <QHash>
#include <QString>
#include <QVariantList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/core/AppError.h"
#include "platform/db/Criteria.h"

namespace {

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        Criteria::registerFunctions(d);
        sqlite3_exec(d, "CREATE TABLE LIBRI (TITOLO TEXT, AUTORE TEXT, \"ANNO EDIZIONE\" TEXT)",
                     nullptr, nullptr, nullptr);
        sqlite3_exec(d, "INSERT INTO LIBRI VALUES ('Il nome della rosa','Eco','1980')", nullptr,
                     nullptr, nullptr);
        return d;
    }();
    return db;
}

// Literals become parameters, so the SQL depends only on a criterion's shape and
// repeats a lot: each text is prepared once and its statement kept for later runs.
sqlite3_stmt* prepared(const QByteArray& sql) {
    static QHash<QByteArray, sqlite3_stmt*> cache;
    if (sqlite3_stmt* st = cache.value(sql))
        return st;
    if (cache.size() >= 4096) {
        for (sqlite3_stmt* st : std::as_const(cache))
            sqlite3_finalize(st);
        cache.clear();
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(database(), sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &st, nullptr) != SQLITE_OK) {
        fprintf(stderr, "SQL refused: %s\n%s\n", sql.constData(), sqlite3_errmsg(database()));
        abort();
    }
    cache.insert(sql, st);
    return st;
}

void checkSql(const QString& where, const QVariantList& params) {
    sqlite3_stmt* st =
        prepared((QStringLiteral("SELECT count(*) FROM LIBRI WHERE ") + where).toUtf8());
    if (sqlite3_bind_parameter_count(st) != params.size())
        abort();
    for (int i = 0; i < params.size(); ++i) {
        const QByteArray v = params[i].toString().toUtf8();
        sqlite3_bind_text(st, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(st) != SQLITE_ROW)
        abort();
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QStringList fields{QStringLiteral("TITOLO"), QStringLiteral("AUTORE"),
                                    QStringLiteral("ANNO EDIZIONE")};
    try {
        QVariantList params;
        checkSql(Criteria::toSql(text, fields, params), params);
    } catch (const AppError&) {
    }
    try {
        const RecordSource rs = RecordSource::parse(text);
        if (rs.table.isEmpty())
            abort();
    } catch (const AppError&) {
    }
    // The quoted form of any typed text must parse back to one LIKE term.
    try {
        QVariantList params;
        const QString crit = QStringLiteral("TITOLO LIKE ") + Criteria::quotedContainsPattern(text);
        checkSql(Criteria::toSql(crit, fields, params), params);
        if (params.size() != 1 || params[0].toString() != u'*' + text + u'*')
            abort();
    } catch (const AppError& e) {
        fprintf(stderr, "quoted text refused: %s\n", e.what());
        abort();
    }
    return 0;
}
