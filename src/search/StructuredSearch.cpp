#include "search/StructuredSearch.h"

#include <sqlite3.h>

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/db/Criteria.h"
#include "platform/db/Database.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "search/FindRules.h"

namespace StructuredSearch {

namespace {

// Lets the user stop a long statement: SQLite asks every so many virtual-machine steps.
class CancelHook {
public:
    CancelHook(sqlite3* db, const std::function<bool()>& keepGoing)
        : db_(db), keepGoing_(keepGoing) {
        if (keepGoing_)
            sqlite3_progress_handler(db_, 20000, &CancelHook::ask, this);
    }
    ~CancelHook() {
        if (keepGoing_)
            sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    }
    CancelHook(const CancelHook&) = delete;
    CancelHook& operator=(const CancelHook&) = delete;
    bool cancelled() const { return cancelled_; }

private:
    static int ask(void* self) {
        auto* hook = static_cast<CancelHook*>(self);
        if (!hook->cancelled_ && !hook->keepGoing_())
            hook->cancelled_ = true;
        return hook->cancelled_ ? 1 : 0;
    }
    sqlite3* db_;
    const std::function<bool()>& keepGoing_;
    bool cancelled_ = false;
};

}  // namespace

QString noFieldMessage() {
    return QStringLiteral("Impossibile eseguire la ricerca. Selezionare il campo di ricerca.");
}

QString noMatchMessage() {
    return QStringLiteral("Non è stata trovata nessuna scheda corrispondente.");
}

QString foundMessage(qint64 count) {
    return QStringLiteral("Sono state trovate ") + QString::number(count) +
           QStringLiteral(" schede corrispondenti.");
}

QStringList fieldChoices(const ArchiveDef& archive, const QStringList& fieldNames) {
    return FindRules::fieldChoices(archive.table, fieldNames);
}

Outcome run(Database& db, const ArchiveDef& archive, const QString& choice, const QString& text,
            const std::function<bool()>& keepGoing) {
    const QStringList fields = db.fieldNames(archive.table);
    QVariantList params;
    // Through the criteria layer: the field name is checked and the text is bound, so a
    // quote in it is a character to find.
    const QString where =
        Criteria::toSql(FindRules::criterion(choice, archive.table, fields, text), fields, params);

    QStringList targets;
    QStringList values;
    for (const QString& f : fields) {
        const QString q = Database::quoteIdentifier(f);
        targets << q;
        values << QStringLiteral(
                      "CASE WHEN %1 IS NULL OR %1 = '' THEN ' ' ELSE CAST(%1 AS TEXT) END")
                      .arg(q);
    }
    const QString result = Database::quoteIdentifier(archive.resultTable);
    const QString copy =
        QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 WHERE %5")
            .arg(result, targets.join(u','), values.join(u','),
                 Database::quoteIdentifier(db.canonicalTableName(archive.table)), where);

    Outcome outcome;
    Transaction transaction(db);
    // After the transaction, so that it is gone again before a rollback runs.
    CancelHook hook(db.handle(), keepGoing);
    try {
        if (db.hasTable(archive.resultTable))
            db.dropTable(archive.resultTable);
        db.createTable(archive.resultTable, fields);
        Statement insert = db.prepare(copy);
        insert.bind(params);
        insert.run();
    } catch (const AppError&) {
        if (!hook.cancelled())
            throw;
        outcome.cancelled = true;
        return outcome;  // the transaction rolls back: the old result table is back
    }
    outcome.count = sqlite3_changes64(db.handle());
    if (outcome.count > 0) {
        transaction.commit();
        db.tableReplaced(archive.resultTable);
    }
    return outcome;
}

}  // namespace StructuredSearch
