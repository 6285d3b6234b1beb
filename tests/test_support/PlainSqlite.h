#pragma once

#include <sqlite3.h>

#include <QString>

// A connection as other tools open the catalogue: plain sqlite3, none of the program's
// functions or collations on it.
struct PlainSqlite {
    sqlite3* db = nullptr;
    explicit PlainSqlite(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~PlainSqlite() { sqlite3_close(db); }
    PlainSqlite(const PlainSqlite&) = delete;
    PlainSqlite& operator=(const PlainSqlite&) = delete;
    // Runs the statements; the engine's error message, empty when they all ran.
    QString run(const char* sql) {
        char* error = nullptr;
        const QString done = sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK
                                 ? QString()
                                 : QString::fromUtf8(error ? error : "?");
        sqlite3_free(error);
        return done;
    }
};
