#pragma once

#include <QString>

class AppError;
class CardBrowser;

// The one door other windows have into the main window: the current archive, its data
// source and counter (through the browser), the current card's fields, the lookup lists
// and the data sources as a whole. Windows are handed this, never the main window.
class CardContext {
public:
    virtual ~CardContext() = default;

    virtual CardBrowser& browser() = 0;

    // A field of the current card as its control shows it ("" when the archive has no
    // such field).
    virtual QString cardField(const QString& field) const = 0;
    // Puts a text into a field of the current card as an edit: the control shows it and
    // the card stores it when it is stored or left. AppError when it cannot be taken.
    virtual void setCardField(const QString& field, const QString& text) = 0;

    // Re-reads the lookup lists and the card combos that offer them.
    virtual void reloadLookups() = 0;
    // Closes every data source of the program (before work on the catalogue file), and
    // opens them again afterwards with the first card of the current archive shown.
    virtual void closeDataSources() = 0;
    virtual void reopenDataSources() = 0;

    // A read of the catalogue failed in a find or a search rather than on the card: a
    // damaged catalogue is answered as when the card itself cannot be read.
    virtual void readFailed(const AppError&) {}
};
