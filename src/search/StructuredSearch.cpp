#include "search/StructuredSearch.h"

#include <sqlite3.h>

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/db/Criteria.h"
#include "platform/db/Database.h"
#include "platform/db/IndexedFind.h"
#include "platform/db/ProgressScope.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "search/FindRules.h"

namespace StructuredSearch {

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

QString criterion(Database& db, const ArchiveDef& archive, const QString& choice,
                  const QString& text) {
    return FindRules::criterion(choice, archive.table, db.fieldNames(archive.table), text);
}

Outcome run(Database& db, const ArchiveDef& archive, const QString& choice, const QString& text,
            const std::function<bool()>& keepGoing) {
    const QString table = db.canonicalTableName(archive.table);
    const QStringList fields = db.fieldNames(table);
    QVariantList params;
    // Through the criteria layer: the field name is checked and the text is bound, so a
    // quote in it is a character to find.
    const QString test = FindRules::criterion(choice, archive.table, fields, text);
    QString where = Criteria::toSql(test, fields, params);
    // The archive's trigram index, when it has one, names the cards worth looking at.
    if (const IndexedFind::Plan plan = IndexedFind::plan(db, table, test); plan.usable()) {
        QVariantList all;
        where = plan.candidateFilter(all) + QStringLiteral(" AND (") + where + QLatin1Char(')');
        params = all + params;
    }

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
        QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 WHERE %5 ORDER BY rowid")
            .arg(result, targets.join(u','), values.join(u','), Database::quoteIdentifier(table),
                 where);

    Outcome outcome;
    Transaction transaction(db);
    // After the transaction, so that it is gone again before a rollback runs.
    ProgressScope scope(db.handle(), keepGoing);
    try {
        if (db.hasTable(archive.resultTable))
            db.dropTable(archive.resultTable);
        db.createTable(archive.resultTable, fields);
        Statement insert = db.prepare(copy);
        insert.bind(params);
        insert.run();
    } catch (const AppError&) {
        scope.rethrowIfFailed();
        if (!scope.interrupted())
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
