#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

class Database;

// How many cards carry each value of one field, in the order the values are first met
// reading the archive in its own (rowid) order. Null counts as "Senza nome"; an empty
// text is a value of its own; comparison is exact and case-sensitive.
struct FieldTally {
    QStringList names;
    QList<qint32> counts;
    int size() const { return int(names.size()); }
};

// The text a card's value is counted under.
QString tallyName(const QVariant& value);

// One grouped query instead of comparing every card with every value met so far.
// keepGoing() is asked now and then while the engine works, so a window can keep painting
// over a long count; false stops it and the result is empty (nothing was changed). An
// empty table raises 3021 (no current record), a missing field 3265, like moving a cursor
// over the cards would.
std::optional<FieldTally> tallyField(Database& db, const QString& table, const QString& field,
                                     const std::function<bool()>& keepGoing = {});
