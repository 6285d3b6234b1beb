#pragma once

#include "registers/ui/WordListWindow.h"

class CardContext;

// Chiavi: the editor of one lookup list of the cards. It loads the list each time it
// becomes active (a kept editor may be pointed at another list meanwhile); "&OK"
// reloads the main window's lookup lists and combos and closes the editor.
class LookupListWindow : public WordListWindow {
    Q_OBJECT
public:
    LookupListWindow(CardContext& cards, Services& services, const QString& listName,
                     QWidget* parent = nullptr);

    // The lookup table to edit from the next activation on.
    void setListName(const QString& listName) { listName_ = listName; }

protected:
    void activated() override;
    void refreshCaller() override;

private:
    CardContext& cards_;
    QString listName_;
};
