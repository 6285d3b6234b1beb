#include "search/FindRules.h"

#include <cmath>

#include "platform/db/Criteria.h"
#include "platform/db/RecordSet.h"

namespace FindRules {

namespace {

const QString kQuotationPage = QStringLiteral("CITAZIONE_PAGINA");
const QString kQuotationText = QStringLiteral("CITAZIONE_CITAZIONE");

bool isBooks(const QString& table) {
    return table.compare(QStringLiteral("LIBRI"), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString allFieldsChoice() {
    return QStringLiteral("(TUTTI I CAMPI)");
}

QString quotationChoice() {
    return QStringLiteral("CITAZIONE");
}

QString noMatchMessage() {
    return QStringLiteral("Nessuna corrispondenza trovata nella scheda specificata.");
}

QString windowCaption(const QString& tabCaption) {
    return QStringLiteral("Trova nell'raccolio: ") + tabCaption;
}

QStringList fieldChoices(const QString& table, const QStringList& fieldNames) {
    QStringList choices{allFieldsChoice()};
    choices << fieldNames;
    if (isBooks(table)) {
        // A quotation is searched as one thing, by its text.
        choices.removeAll(kQuotationPage);
        choices.removeAll(kQuotationText);
        choices << quotationChoice();
    }
    return choices;
}

QString containsTest(const QString& field, const QString& text, const QString& keyword) {
    return field + keyword + Criteria::quotedContainsPattern(text);
}

QString criterion(const QString& choice, const QString& table, const QStringList& fieldNames,
                  const QString& text) {
    if (choice.isEmpty())
        return {};
    if (choice == allFieldsChoice()) {
        QStringList tests;
        for (const QString& f : fieldNames)
            tests << containsTest(f, text);
        return tests.join(QStringLiteral(" OR "));
    }
    if (choice == quotationChoice() && isBooks(table))
        return containsTest(kQuotationText, text);
    return containsTest(choice, text);
}

bool find(RecordSet& records, Direction direction, const QString& criterion) {
    switch (direction) {
        case Direction::First:
            return records.findFirst(criterion);
        case Direction::Previous:
            return records.findPrevious(criterion);
        case Direction::Next:
            return records.findNext(criterion);
        case Direction::Last:
            return records.findLast(criterion);
    }
    return false;
}

int currentPosition(const RecordSet& records) {
    // nearbyint rounds in the default mode: to nearest, halves to even.
    return int(std::nearbyint(records.percentPosition() * records.recordCount() / 100.0)) + 1;
}

}  // namespace FindRules
