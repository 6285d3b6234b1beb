#include "stats/FieldTally.h"

#include <sqlite3.h>

#include <QHash>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "platform/db/Statement.h"

QString tallyName(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("Senza nome");
    return value.toString();
}

FieldTally tallyField(Database& db, const QString& table, const QString& field,
                      const std::function<void()>& tick) {
    const QString source = QStringLiteral("Statistiche.Conteggio");
    const QString canonicalTable = db.canonicalTableName(table);
    QString column;
    for (const QString& f : db.fieldNames(canonicalTable)) {
        if (f.compare(field, Qt::CaseInsensitive) == 0)
            column = f;
    }
    if (column.isEmpty())
        throw AppError(ErrorCode::ItemNotFound, source,
                       QStringLiteral("Elemento non trovato nell'insieme: %1").arg(field));

    // Columns are TEXT, so grouping the stored values groups their texts; BINARY keeps
    // "Rosso" and "rosso" apart whatever collation the column has.
    const QString q = Database::quoteIdentifier(column);
    Statement st = db.prepare(QStringLiteral("SELECT %1, COUNT(*), MIN(rowid) FROM %2 "
                                             "GROUP BY %1 COLLATE BINARY ORDER BY 3")
                                  .arg(q, Database::quoteIdentifier(canonicalTable)));
    // The grouping itself returns no row until it is done: let the caller breathe meanwhile.
    struct TickWhileRunning {
        sqlite3* db;
        TickWhileRunning(sqlite3* handle, const std::function<void()>* tick) : db(handle) {
            if (*tick)
                sqlite3_progress_handler(db, 200000, &TickWhileRunning::call,
                                         const_cast<std::function<void()>*>(tick));
        }
        ~TickWhileRunning() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
        TickWhileRunning(const TickWhileRunning&) = delete;
        TickWhileRunning& operator=(const TickWhileRunning&) = delete;
        static int call(void* f) {
            (*static_cast<std::function<void()>*>(f))();
            return 0;
        }
    } ticking(db.handle(), &tick);

    FieldTally tally;
    // A stored text "Senza nome" and a Null land on one entry, as their texts are equal.
    QHash<QString, int> entryOf;
    while (st.step()) {
        const QString name = tallyName(st.value(0));
        const auto count = qint32(st.int64(1));
        const auto found = entryOf.constFind(name);
        if (found != entryOf.constEnd()) {
            tally.counts[*found] += count;
        } else {
            entryOf.insert(name, tally.size());
            tally.names.append(name);
            tally.counts.append(count);
        }
        if (tick && (tally.size() % 4096) == 0)
            tick();
    }
    if (tally.size() == 0)
        throw AppError(ErrorCode::NoCurrentRecord, source,
                       QStringLiteral("Nessun record corrente"));
    return tally;
}
