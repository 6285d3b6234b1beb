#include "maintenance/RepairSummary.h"

#include <QFileInfo>
#include <QLocale>

#include "cards/Archives.h"

namespace RepairSummary {

namespace {

QString count(qint64 n, const char* one, const char* many) {
    return QLocale(QLocale::Italian).toString(n) + QLatin1Char(' ') +
           QString::fromUtf8(n == 1 ? one : many);
}

}  // namespace

QString message(const CatalogueFiles::RepairOutcome& outcome) {
    const DbMaintenance::RepairReport& r = outcome.report;
    if (!r.salvaged)
        return QStringLiteral("Il recupero dei dati è stato completato con successo.");
    QString text = QStringLiteral("Il recupero dei dati è stato completato.\n");
    bool otherLosses = false;
    for (const DbMaintenance::RepairReport::Table& t : r.tables) {
        const ArchiveDef* archive = Archives::byTable(t.name);
        if (!archive) {
            otherLosses = otherLosses || t.lost != 0;
            continue;
        }
        text += QStringLiteral("\n%1: %2").arg(
            archive->caption, count(t.recovered, "cartella recuperata", "cartelle recuperate"));
        if (t.incomplete > 0)
            text += QStringLiteral(", di cui ") + count(t.incomplete, "incompleta", "incomplete") +
                    QStringLiteral(" (campi troncati)");
        if (t.lost > 0)
            text += QStringLiteral(", ") +
                    count(t.lost, "non recuperabile", "non recuperabili");
        else if (t.lost < 0 && t.lostAtMost > 0)
            text += QStringLiteral(", al più ") +
                    count(t.lostAtMost, "non recuperabile", "non recuperabili");
        else if (t.lost < 0)
            text += QStringLiteral("; non è possibile sapere quante siano andate perse");
        text += QLatin1Char('.');
    }
    if (r.unassigned > 0)
        text += QStringLiteral("\n\nAltre %1 voci leggibili non sono state recuperate perché "
                               "non si può stabilire a quale archivio o lista appartengano.")
                    .arg(QLocale(QLocale::Italian).toString(r.unassigned));
    else if (otherLosses)
        text += QStringLiteral("\n\nAlcune voci delle liste o del registro degli autori non "
                               "sono state recuperate.");
    if (!outcome.keptCopy.isEmpty())
        text += QStringLiteral("\n\nIl file danneggiato è stato conservato come %1.")
                    .arg(QFileInfo(outcome.keptCopy).fileName());
    return text;
}

}  // namespace RepairSummary
