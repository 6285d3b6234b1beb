#include "shell/ReadOnlyCommands.h"

#include <QHash>

#include "cards/Archives.h"

namespace ReadOnlyCommands {

QString refusedAction(const QString& id) {
    static const QHash<QString, QString> actions = {
        {QStringLiteral("ID_RipristinoDati"), QStringLiteral("ripristinare i dati")},
        {QStringLiteral("ID_CompattamentoDati"), QStringLiteral("compattare i dati")},
        {QStringLiteral("ID_RecuperoDati"), QStringLiteral("recuperare i dati")},
        {QStringLiteral("ID_ParoleChiavi"),
         QStringLiteral("assegnare parole chiavi alla cartella")},
        {QStringLiteral("SSCommand3"), QStringLiteral("assegnare parole chiavi alla cartella")},
        {QStringLiteral("SSCommand2"), QStringLiteral("modificare le citazioni della cartella")},
        {QStringLiteral("Label29"), QStringLiteral("modificare l'elenco dei file della cartella")},
        {QStringLiteral("ID_ImportaSchede"), QStringLiteral("importare schede")},
        // Its result tables are written into the catalogue itself.
        {QStringLiteral("ID_RicercaconStampaStrutturata"),
         QStringLiteral("eseguire la ricerca con stampa strutturata, che vi registra i "
                        "risultati (la Ricerca Semplice resta disponibile)")},
    };
    if (const auto it = actions.constFind(id); it != actions.cend())
        return it.value();
    // A lookup combo opens the editor of its list, or the authors register.
    if (const LookupDef* lookup = Archives::lookupByCombo(id))
        return lookup->opensAuthorsRegister() ? QStringLiteral("modificare l'archivio degli autori")
                                              : QStringLiteral("modificare le liste di parole");
    return {};
}

}  // namespace ReadOnlyCommands
