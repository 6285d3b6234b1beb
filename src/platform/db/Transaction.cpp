#include "platform/db/Transaction.h"

#include <sqlite3.h>

#include "platform/core/Log.h"
#include "platform/db/Database.h"

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    // SQLite may already have rolled back by itself (a full disk, an I/O error).
    if (committed_ || sqlite3_get_autocommit(db_.handle()))
        return;
    if (sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
        qCWarning(lcDb).noquote() << "rollback failed on" << db_.path() << "-"
                                  << sqlite3_errmsg(db_.handle());
}

void Transaction::commit() {
    db_.exec(QStringLiteral("COMMIT"));
    committed_ = true;
}
