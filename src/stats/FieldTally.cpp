#include "stats/FieldTally.h"

#include <QHash>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "platform/db/ProgressScope.h"
#include "platform/db/Statement.h"

QString tallyName(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("Senza nome");
    return value.toString();
}

std::optional<FieldTally> tallyField(Database& db, const QString& table, const QString& field,
                                     const std::function<bool()>& keepGoing) {
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
    std::optional<ProgressScope> progress;
    if (keepGoing)
        progress.emplace(db.handle(), keepGoing);
    auto stopped = [&progress] {
        if (!progress || !progress->interrupted())
            return false;
        progress->rethrowIfFailed();
        return true;
    };

    FieldTally tally;
    // A stored text "Senza nome" and a Null land on one entry, as their texts are equal.
    QHash<QString, int> entryOf;
    for (;;) {
        bool more = false;
        try {
            more = st.step();
        } catch (const AppError&) {
            if (stopped())
                return std::nullopt;
            throw;
        }
        if (!more)
            break;
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
        if (keepGoing && (tally.size() % 4096) == 0 && !keepGoing())
            return std::nullopt;
    }
    if (stopped())
        return std::nullopt;
    if (tally.size() == 0)
        throw AppError(ErrorCode::NoCurrentRecord, source,
                       QStringLiteral("Nessun record corrente"));
    return tally;
}
