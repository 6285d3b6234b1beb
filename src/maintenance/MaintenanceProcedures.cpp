#include "maintenance/MaintenanceProcedures.h"

#include <QDir>
#include <QFileInfo>

#include "cards/CardContext.h"
#include "maintenance/CatalogueFiles.h"
#include "maintenance/RepairSummary.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/services/FileDialogService.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"

namespace {

QString overwriteQuestion() {
    return QStringLiteral("Attenzione, un file backup di ") + AppInfo::title() +
           QStringLiteral(" è già esistente. Sovrascriverlo?");
}

void makeProgramFolderCurrent() {
    QDir::setCurrent(ProgramFolder::path());
}

// Restores the program folder as the current one however the procedure ends.
struct ProgramFolderAfter {
    ProgramFolderAfter() = default;
    ProgramFolderAfter(const ProgramFolderAfter&) = delete;
    ProgramFolderAfter& operator=(const ProgramFolderAfter&) = delete;
    ~ProgramFolderAfter() { makeProgramFolderCurrent(); }
};

}  // namespace

MaintenanceProcedures::MaintenanceProcedures(CardContext& cards, Services& services, Hooks hooks)
    : cards_(cards), services_(services), hooks_(std::move(hooks)) {}

QString MaintenanceProcedures::backupFilter() {
    // The file dialog matches patterns in any case, so RACCOLIO.BK4 shows too.
    return QStringLiteral("File backup di Raccolio 4.1 Pro (*.bk4)");
}

void MaintenanceProcedures::withSourcesClosed(
    const QString& progressLabel, const std::function<void(const DbMaintenance::Progress&)>& step,
    Reopen reopen) {
    cards_.closeDataSources();
    try {
        const DbMaintenance::Progress progress =
            hooks_.startProgress ? hooks_.startProgress(progressLabel) : DbMaintenance::Progress();
        step(progress);
    } catch (...) {
        if (hooks_.endProgress)
            hooks_.endProgress();
        cards_.reopenDataSources();
        throw;
    }
    if (hooks_.endProgress)
        hooks_.endProgress();
    if (reopen == Reopen::Always)
        cards_.reopenDataSources();
}

void MaintenanceProcedures::backup() {
    const Mode mode = hooks_.chooseMode(QStringLiteral("Modalità di backup..."));
    if (mode == Mode::Cancelled)
        return;
    hooks_.setWindowEnabled(false);
    runGuarded(services_.messages, "MdiForm1.BackupDati", [&] {
        const ProgramFolderAfter after;
        if (backupBody(mode))
            services_.messages.information(
                QStringLiteral("Il backup dei dati è stato completato con successo."));
    });
    hooks_.setWindowEnabled(true);
}

bool MaintenanceProcedures::backupBody(Mode mode) {
    QString destination = CatalogueFiles::backupPath();
    if (mode == Mode::Manual) {
        destination = services_.files.saveFileName(QString(), CatalogueFiles::proposedBackupPath(),
                                                   backupFilter(), QStringLiteral("bk4"));
        if (destination.isEmpty())
            return false;  // the dialog was cancelled
    }
    // Yes does not delete the old backup: the new one replaces it only once it is whole.
    if (QFileInfo::exists(destination) &&
        services_.messages.show(overwriteQuestion(), MessageService::Buttons::YesNo,
                                MessageService::Icon::None) != MessageService::Answer::Yes)
        return false;
    // Said before any work, in words that point to the way out.
    if (const QString folder = QFileInfo(destination).absolutePath();
        !QFileInfo(folder).isWritable())
        throw AppError(ErrorCode::FileError, QStringLiteral("MaintenanceProcedures"),
                       QStringLiteral("Impossibile scrivere nella cartella %1: il backup non "
                                      "può esservi salvato. Scegliere la modalità manuale e "
                                      "un'altra cartella.")
                           .arg(QDir::toNativeSeparators(folder)));
    withSourcesClosed(
        QStringLiteral("Backup dei dati in corso..."),
        [&](const DbMaintenance::Progress& p) { CatalogueFiles::backup(destination, p); });
    return true;
}

void MaintenanceProcedures::restore() {
    const Mode mode = hooks_.chooseMode(QStringLiteral("Modalità di ripristino..."));
    if (mode == Mode::Cancelled)
        return;
    runGuarded(services_.messages, "MdiForm1.RipristinoDati", [&] {
        const ProgramFolderAfter after;
        if (restoreBody(mode))
            services_.messages.information(
                QStringLiteral("Il ripristino dei dati è stato completato con successo."));
    });
}

bool MaintenanceProcedures::restoreBody(Mode mode) {
    QString source = CatalogueFiles::backupPath();
    if (mode == Mode::Automatic) {
        if (!QFileInfo::exists(source)) {
            services_.messages.critical(
                QStringLiteral("Nessun file di backup salvato in precedenza."));
            return false;
        }
    } else {
        // The name as chosen: in upper case it would name another file here.
        source = services_.files.openFileName(QString(), CatalogueFiles::proposedBackupPath(),
                                              backupFilter());
        if (source.isEmpty())
            return false;
        if (!source.endsWith(QLatin1String(".bk4"), Qt::CaseInsensitive) &&
            !services_.messages.question(
                QStringLiteral("Attenzione! Il file selezionato potrebbe non essere un file di "
                               "backup valido di ") +
                AppInfo::title() + QStringLiteral(", continuare con l'operazione ?")))
            return false;
    }
    const QString name = QFileInfo(source).fileName();
    bool copying = true;  // what goes wrong while the backup is read is the backup's
    try {
        CatalogueFiles::requireCatalogue(source);
        copying = false;
        withSourcesClosed(QStringLiteral("Ripristino dei dati in corso..."),
                          [&](const DbMaintenance::Progress& p) {
                              copying = true;
                              CatalogueFiles::restore(source, p);
                              copying = false;
                          });
    } catch (const AppError& e) {
        // Said of the file that is at fault: the catalogue is whole and needs no repair.
        if (!copying)
            throw;
        if (e.number() == ErrorCode::NotACatalogue)
            services_.messages.critical(QStringLiteral("Il file ") + name +
                                        QStringLiteral(" non è un file di backup di ") +
                                        AppInfo::title() +
                                        QStringLiteral(": l'archivio attuale non è stato "
                                                       "modificato."));
        else if (e.number() == ErrorCode::DatabaseDamaged)
            services_.messages.critical(CatalogueFiles::damagedBackupText(source));
        else
            throw;
        return false;
    }
    return true;
}

void MaintenanceProcedures::compact() {
    if (!services_.messages.question(
            QStringLiteral("Si desidera eseguire la compattazione dei dati ?")))
        return;
    bool done = false;
    runGuarded(services_.messages, "MdiForm1.CompattamentoDati", [&] {
        // On failure the catalogue is untouched and work goes on with it.
        withSourcesClosed(
            QStringLiteral("Compattamento dei dati in corso..."),
            [](const DbMaintenance::Progress& p) { CatalogueFiles::compact(p); },
            Reopen::OnFailure);
        done = true;
    });
    if (!done)
        return;
    services_.messages.information(
        QStringLiteral("La compattazione dei dati è stata completata con successo. Riavviare ") +
        AppInfo::title() + QStringLiteral(". Grazie."));
    hooks_.endProgram();
}

void MaintenanceProcedures::repair() {
    if (!services_.messages.question(
            QStringLiteral("Si vogliono recuperare i dati, se danneggiati ?")))
        return;
    runGuarded(services_.messages, "MdiForm1.RecuperoDati", [&] {
        CatalogueFiles::RepairOutcome outcome;
        withSourcesClosed(
            QStringLiteral("Recupero dei dati in corso..."),
            [&](const DbMaintenance::Progress& p) { outcome = CatalogueFiles::repair(p); });
        services_.messages.information(RepairSummary::message(outcome));
    });
}
