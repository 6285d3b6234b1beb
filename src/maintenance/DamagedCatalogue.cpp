#include "maintenance/DamagedCatalogue.h"

#include <QFileInfo>

#include "maintenance/CatalogueFiles.h"
#include "maintenance/RepairSummary.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/Log.h"
#include "platform/services/MessageService.h"

namespace {

bool usable(const QString& path) {
    return CatalogueFiles::examine(path) == CatalogueFiles::State::Healthy;
}

}  // namespace

bool offerCatalogueRecovery(const QString& path, MessageService& messages,
                            const DbMaintenance::Progress& progress, FreshStart freshStart) {
    const QString name = QFileInfo(path).fileName();
    QString kept;
    const auto keepDamaged = [&] {
        if (kept.isEmpty())
            kept = CatalogueFiles::keepDamagedCopy(path);
    };
    if (messages.question(
            QStringLiteral("Il file ") + name +
            QStringLiteral(
                " è danneggiato. Recuperare i dati ancora "
                "leggibili? Il file danneggiato sarà conservato nella stessa cartella."))) {
        try {
            // The salvage keeps the damaged file itself, just before the new one takes its name.
            const CatalogueFiles::RepairOutcome outcome = CatalogueFiles::repairAt(path, progress);
            kept = outcome.keptCopy;
            if (usable(path)) {
                messages.information(RepairSummary::message(outcome));
                return true;
            }
        } catch (const AppError& e) {
            qCWarning(lcDb).noquote() << "salvaging" << path << "failed:" << e.description();
        }
        messages.critical(QStringLiteral("Non è stato possibile recuperare i dati di ") + name +
                          QStringLiteral("."));
    }
    const QString backup = CatalogueFiles::backupPath();
    if (QFileInfo::exists(backup) &&
        messages.question(QStringLiteral("Ripristinare i dati dal file di backup ") +
                          QFileInfo(backup).fileName() + QStringLiteral(" di ") + AppInfo::title() +
                          QStringLiteral("?"))) {
        try {
            keepDamaged();
            CatalogueFiles::restore(backup, progress);
            messages.information(
                QStringLiteral("Il ripristino dei dati è stato completato con successo. Il file "
                               "danneggiato è stato conservato come ") +
                QFileInfo(kept).fileName() + QStringLiteral("."));
            if (usable(path))
                return true;
        } catch (const AppError& e) {
            // Then the last way out is offered.
            if (e.number() == ErrorCode::DatabaseDamaged)
                messages.critical(CatalogueFiles::damagedBackupText(backup));
            else
                messages.error(e);
        }
    }
    // The last way out: never a dead end while the file can be set aside.
    if (freshStart == FreshStart::NotOffered)
        return false;
    if (!messages.question(QStringLiteral("Mettere da parte il file ") + name +
                           QStringLiteral(" e iniziare con un nuovo catalogo vuoto? Il file "
                                          "danneggiato sarà conservato nella stessa cartella.")))
        return false;
    try {
        keepDamaged();
        CatalogueFiles::startAfresh(path);
    } catch (const AppError& e) {
        messages.error(e);
        return false;
    }
    messages.information(QStringLiteral("È stato creato un nuovo catalogo vuoto. Il file "
                                        "danneggiato è stato conservato come ") +
                         QFileInfo(kept).fileName() + QStringLiteral("."));
    return usable(path);
}

bool answerUnopenedCatalogue(const QString& path, const AppError& failure,
                             MessageService& messages, const DbMaintenance::Progress& progress) {
    if (CatalogueFiles::examine(path) != CatalogueFiles::State::Damaged) {
        messages.error(failure);
        return false;
    }
    if (offerCatalogueRecovery(path, messages, progress))
        return true;
    // Not the open error: that would call the user's own catalogue a foreign file.
    messages.critical(notRecoveredText());
    return false;
}

QString notRecoveredText() {
    return QStringLiteral(
               "Il catalogo %1 è danneggiato e non è stato recuperato: %2 sarà "
               "chiuso. Il recupero sarà proposto di nuovo al prossimo avvio.")
        .arg(AppInfo::catalogueFileName(), AppInfo::title());
}
