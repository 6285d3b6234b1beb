#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Database;
struct ArchiveDef;

// The structured search: every card of an archive whose chosen field (or any field)
// contains a text is copied into the archive's result table, which printing reads
// afterwards. The main window's record sets are never touched: the search runs its
// own statement on the catalogue.
namespace StructuredSearch {

QString noFieldMessage();  // no field chosen (critical)
QString noMatchMessage();
QString foundMessage(qint64 count);

// "(TUTTI I CAMPI)", the archive's fields in table order; for the books the two
// quotation fields give way to "CITAZIONE" at the end.
QStringList fieldChoices(const ArchiveDef& archive, const QStringList& fieldNames);

// The criterion the search runs for a choice of the field list and a text.
QString criterion(Database& db, const ArchiveDef& archive, const QString& choice,
                  const QString& text);

struct Outcome {
    qint64 count = 0;        // cards found (and copied)
    bool cancelled = false;  // stopped by the user: nothing changed
};

// Runs the search and, when it finds at least one card, replaces the result table (one
// text field per archive field, in field order; a null or empty value stored as " ") in
// one transaction, then tells the connection's table listeners (a preview of the old result
// closes). No match or a cancel leaves the previous result table as it was.
// keepGoing is called every few thousand engine steps; false cancels. A field the
// archive lacks, or a database failure, raises AppError.
Outcome run(Database& db, const ArchiveDef& archive, const QString& choice, const QString& text,
            const std::function<bool()>& keepGoing = {});

}  // namespace StructuredSearch
