#include "registers/LookupListEditor.h"

#include "cards/Archives.h"
#include "platform/core/AppState.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/services/InputService.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "search/FindRules.h"

namespace {

std::vector<WordList> buildLookupLists() {
    std::vector<WordList> lists;
    for (const LookupDef& l : Archives::lookups()) {
        // The authors have their own register, the keywords their own editor.
        if (l.table == QLatin1String("AUTORI") || l.table == Archives::keywordTable())
            continue;
        lists.push_back(
            {l.table, QStringLiteral("select %1.* from %1 order by %2").arg(l.table, l.wordField),
             l.wordField});
    }
    return lists;
}

}  // namespace

const std::vector<WordList>& LookupListEditor::lookupLists() {
    static const std::vector<WordList> lists = buildLookupLists();
    return lists;
}

std::optional<WordList> LookupListEditor::listNamed(const QString& name) {
    for (const WordList& l : lookupLists())
        if (l.table == name)
            return l;
    return std::nullopt;
}

WordList LookupListEditor::keywordList() {
    const QString table = Archives::keywordTable();
    return {table, table, Archives::lookupByTable(table)->wordField};
}

QString LookupListEditor::addPrompt() {
    return QStringLiteral("Immettere la nuova parola da inserire nella lista...");
}

QString LookupListEditor::lastWordMessage() {
    return QStringLiteral(
        "Impossibile eliminare questa cartella. L'raccolio potrebbe danneggiarsi.");
}

LookupListEditor::LookupListEditor(DataSource& source, Services& services)
    : source_(source), services_(services) {}

void LookupListEditor::setList(const WordList& list) {
    source_.setRecordSource(list.recordSource);
    wordField_ = list.wordField;
}

void LookupListEditor::activate(const QString& handedOverName) {
    if (const auto list = listNamed(handedOverName))
        setList(*list);
    source_.refresh();
    setUp();
}

void LookupListEditor::setUp() {
    // Visiting the last record first makes the count complete.
    source_.moveLast();
    source_.moveFirst();
    count_ = source_.recordset().recordCount();
    // The list is shown from its first word again, so the counter says so too.
    position_ = count_ > 0 ? 1 : 0;
}

void LookupListEditor::first() {
    source_.moveFirst();
    position_ = 1;
}

void LookupListEditor::last() {
    source_.moveLast();
    position_ = source_.recordset().recordCount();
}

void LookupListEditor::next() {
    source_.moveNext();
    ++position_;
    if (count_ < position_)  // went past the last word: back onto it
        previous();
}

void LookupListEditor::previous() {
    source_.movePrevious();
    --position_;
    if (position_ == 0)  // went before the first word: back onto it
        next();
}

bool LookupListEditor::add() {
    RecordSet& records = source_.recordset();
    records.addNew();
    source_.notifyCurrentChanged();
    const std::optional<QString> word = services_.input.getText(addPrompt(), QString());
    if (!word || word->isEmpty()) {
        records.cancelUpdate();
        source_.notifyCurrentChanged();
        return false;
    }
    records.setValue(wordField_, *word);
    // The first move stores the new word; it joins the end of the list.
    last();
    first();
    last();
    count_ = records.recordCount();
    return true;
}

bool LookupListEditor::remove() {
    if (count_ == 1) {
        services_.messages.critical(lastWordMessage());
        return false;
    }
    source_.recordset().deleteCurrent();
    source_.notifyCurrentChanged();
    last();
    first();
    --count_;
    return true;
}

bool LookupListEditor::find(bool fromStart) {
    return find(
        FindRules::containsTest(wordField_, services_.state.searchText, QStringLiteral(" LIKE ")),
        fromStart);
}

void LookupListEditor::recount() {
    count_ = source_.recordset().recordCount();
}

bool LookupListEditor::find(const QString& criterion, bool fromStart) {
    RecordSet& records = source_.recordset();
    services_.state.searchCriterion = criterion;
    const bool found = FindRules::find(
        records, fromStart ? FindRules::Direction::First : FindRules::Direction::Next, criterion);
    source_.notifyCurrentChanged();
    if (!found)
        services_.messages.information(FindRules::noMatchMessage());
    position_ = FindRules::currentPosition(records);
    return found;
}

QString LookupListEditor::currentWord() const {
    RecordSet& records = source_.recordset();
    if (!records.hasCurrent() && records.editMode() != RecordSet::EditMode::Add)
        return {};
    return records.value(wordField_).toString();
}
