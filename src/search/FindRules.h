#pragma once

#include <QString>
#include <QStringList>

class RecordSet;

// The rules shared by the find windows: which fields can be searched, how a typed
// text becomes a criterion, one find per direction, and the position a find lands on.
namespace FindRules {

QString allFieldsChoice();  // "(TUTTI I CAMPI)"
QString quotationChoice();  // "CITAZIONE": the quotation text of a book
QString noMatchMessage();   // the information shown when nothing matched

// "Trova nell'raccolio: " followed by the archive's tab caption.
QString windowCaption(const QString& tabCaption);

// The field list of the find window: "(TUTTI I CAMPI)" and the record set's fields in
// their order. For LIBRI the two quotation fields give way to one "CITAZIONE" at the end.
QStringList fieldChoices(const QString& table, const QStringList& fieldNames);

// "<field><keyword><quoted *text*>". The text is data: a double quote in it is a
// character to find, while the wildcards typed by the user keep their meaning.
QString containsTest(const QString& field, const QString& text,
                     const QString& keyword = QStringLiteral(" Like "));

// The criterion of the find window for a choice of its field list: one test, or for
// "(TUTTI I CAMPI)" the OR of one test per field in field order (quotation fields too).
// Empty when the choice is empty.
QString criterion(const QString& choice, const QString& table, const QStringList& fieldNames,
                  const QString& text);

enum class Direction { First, Previous, Next, Last };

// One find in the record set; true when a record matched. On no match the current
// record stays where it was.
bool find(RecordSet& records, Direction direction, const QString& criterion);

// The 1-based position of the current record as the counters show it: the percentage
// position times the count over 100, rounded to the nearest (halves to even), plus 1.
int currentPosition(const RecordSet& records);

}  // namespace FindRules
