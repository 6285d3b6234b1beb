#include "registers/ui/LookupListWindow.h"

#include "cards/CardContext.h"

LookupListWindow::LookupListWindow(CardContext& cards, Services& services, const QString& listName,
                                   QWidget* parent)
    : WordListWindow(services, QStringLiteral("Aggiornamento lista..."),
                     QStringLiteral("Prima cartella"), parent),
      cards_(cards),
      listName_(listName) {
    setObjectName(QStringLiteral("Chiavi"));
}

void LookupListWindow::activated() {
    handle("Form_Activate", [this] {
        editor().activate(listName_);
        bindWord();
    });
}

void LookupListWindow::refreshCaller() {
    cards_.reloadLookups();
}
