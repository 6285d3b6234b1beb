#include "registers/ui/LookupListWindow.h"

#include <QLabel>

#include "shell/ui/MainWindow.h"

LookupListWindow::LookupListWindow(MainWindow& main, Services& services, QWidget* parent)
    : WordListWindow(services, QStringLiteral("Aggiornamento lista..."),
                     QStringLiteral("Prima cartella"), parent),
      main_(main) {
    setObjectName(QStringLiteral("Chiavi"));
}

void LookupListWindow::activated() {
    handle("Form_Activate", [this] {
        editor().activate(main_.handOverLabel()->text());
        bindWord();
    });
}

void LookupListWindow::refreshCaller() {
    main_.refreshLookups();
}
