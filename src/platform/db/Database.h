#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>

#include "platform/db/Statement.h"

class AppError;
struct sqlite3;
class RecordSet;

// One open SQLite connection, shared by everyone who opens the same file. Every SQLite
// failure becomes an AppError with an Italian description; nothing user-typed is ever
// pasted into SQL text.
class Database {
public:
    enum class OpenMode {
        ExistingOnly,     // the file must exist (error 53 otherwise)
        CreateIfMissing,  // a missing file is created empty
        ReadOnly          // must exist; opened for reading only, as a read-only file is
    };

    // Opens the file. A file that is not an SQLite database raises NotACatalogue
    // and is left untouched (nothing is written before the first successful read).
    // While a connection to the same file (same canonical path, same file on disk) is
    // alive, that one is handed out: one connection per file, closed with its last
    // holder. A file replaced meanwhile (renamed over, deleted and created again) gets a
    // new connection; the old one stays with its holders until they let go. ReadOnly is
    // handed a live connection only when that one is read-only too.
    static std::shared_ptr<Database> open(const QString& path,
                                          OpenMode mode = OpenMode::ExistingOnly);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    // True when the engine could open the file for reading only (a read-only file, or
    // OpenMode::ReadOnly): every change is refused.
    bool isReadOnly() const;

    // Fixed SQL written by the program (never user text); throws on failure.
    void exec(const QString& sql);
    // Runs a fixed SQL text with bound parameters; returns the rows as lists of values.
    QList<QVariantList> query(const QString& sql, const QVariantList& params = {});

    // Schema.
    bool hasTable(const QString& table) const;
    QStringList tableNames() const;                      // user tables, in creation order
    QStringList fieldNames(const QString& table) const;  // table's field order; 3265 if no table
    QString canonicalTableName(const QString& table) const;  // case-insensitive lookup; 3265
    void createTable(const QString& table, const QStringList& longTextFields);
    void dropTable(const QString& table);  // 3265 when missing

    // Record sets: a bare table name, "SELECT T.* FROM T [WHERE crit] [ORDER BY f]",
    // or built from parts.
    std::unique_ptr<RecordSet> openRecordSet(const QString& recordSource);

    // Plain BEGIN IMMEDIATE and COMMIT; code of the program uses the Transaction guard.
    void beginTransaction();
    void commit();

    // Throws AppError(DatabaseError) describing the last SQLite failure of this connection.
    [[noreturn]] void fail(const QString& source) const;
    static AppError lastError(sqlite3* connection, const QString& source);

    static QString engineName();     // "SQLite"
    static QString engineVersion();  // "3.40.1"

    // A prepared statement for the record sets and maintenance; persistent ones are
    // kept across many runs.
    Statement prepare(const QString& sql, bool persistent = false) const;
    static QString quoteIdentifier(const QString& name);  // "NAME" with inner quotes doubled

    // Canonical paths of the files that have a live connection now.
    static QStringList openFiles();

    // Whoever shows rows of a table the program replaces as a whole (a search result) is
    // told, so that old and new rows never mix on screen. Names compare without case.
    using TableListener = std::function<void(const QString& table)>;
    int addTableListener(TableListener listener);
    void removeTableListener(int id);
    void tableReplaced(const QString& table);

private:
    Database(QString path, sqlite3* db);
    QString path_;
    sqlite3* db_;
    std::weak_ptr<Database> self_;  // hands record sets a share of this connection
    QString key_;                   // canonical path in the registry of open files
    QByteArray fileId_;             // which file on disk key_ named when it was opened
    std::map<int, TableListener> tableListeners_;
    int nextListener_ = 0;
};
