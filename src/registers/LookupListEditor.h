#pragma once

#include <QString>
#include <optional>
#include <vector>

class DataSource;
struct Services;

// A word list the editor can serve: its table, the record source that orders it and
// the field that holds the word.
struct WordList {
    QString table;
    QString recordSource;
    QString wordField;
};

// The logic behind the word-list editor windows: one word of a lookup table at a
// time, a counter "position di count", paging, adding, deleting and finding a word.
// It drives a data source, so the controls bound to it follow every move.
//
// The counter is the editor's only cursor state, as the window shows it: moves past
// either end are undone by the opposite move, so the counter never leaves 1..count.
class LookupListEditor {
public:
    // The thirteen lookup lists served through the main window's hand-over label, each
    // ordered by its word field.
    static const std::vector<WordList>& lookupLists();
    // The list whose table is exactly name (case-sensitive, in full); nullopt otherwise.
    static std::optional<WordList> listNamed(const QString& name);
    // The keyword table CHIAVE in its own order.
    static WordList keywordList();

    static QString addPrompt();        // the question of the add prompt
    static QString lastWordMessage();  // the refusal to delete the last word

    LookupListEditor(DataSource& source, Services& services);

    // The field the word is read from; empty until a list is chosen.
    const QString& wordField() const { return wordField_; }
    void setList(const WordList& list);

    // Window activation with a handed-over list name: a known name chooses the list
    // (an unknown one keeps the current choice); then the list is reloaded, the first
    // word shown and the count taken. The position is left as it was.
    void activate(const QString& handedOverName);
    // The same set-up for an editor on a fixed list, without reloading it.
    void setUp();

    void first();
    void previous();
    void next();
    void last();

    // Asks for a word and stores it as a new record, shown last as "count di count".
    // An empty or cancelled answer stores nothing. Returns whether a word was added.
    bool add();
    // Deletes the current word and shows the first one; the last word of a list is
    // never deleted (a critical message instead). Returns whether a word was deleted.
    bool remove();
    // Finds the first word containing the search text, or the next after the current
    // one; shows the information message on no match. The position is recomputed from
    // the current record either way. Returns whether a word matched.
    bool find(bool fromStart);
    // The same find with a criterion of the caller's (kept as the search criterion).
    bool find(const QString& criterion, bool fromStart);
    // Takes the record count again (after an addition stored by the caller).
    void recount();

    int position() const { return position_; }
    int count() const { return count_; }
    QString currentWord() const;  // empty when there is no current record

private:
    DataSource& source_;
    Services& services_;
    QString wordField_;
    int position_ = 1;
    int count_ = 0;
};
