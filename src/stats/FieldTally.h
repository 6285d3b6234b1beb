#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

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
// tick() is called now and then while the engine works, so a window can keep painting
// over a long count. An empty table raises 3021 (no current record), a
// missing field 3265, like moving a cursor over the cards would.
FieldTally tallyField(Database& db, const QString& table, const QString& field,
                      const std::function<void()>& tick = {});
