#include "maintenance/ui/MaintenanceCommands.h"

#include <QApplication>
#include <memory>

#include "maintenance/MaintenanceProcedures.h"
#include "maintenance/ui/BackupModeWindow.h"
#include "platform/ui/LongWork.h"

namespace {

// The copy's steps feed the one progress window of long work. A copy half done cannot be
// left half done, so there is no "Annulla".
class CopyProgress {
public:
    explicit CopyProgress(QWidget* parent) : parent_(parent) {}

    DbMaintenance::Progress start(const QString& label) {
        work_ = std::make_unique<LongWork>(parent_, label, LongWork::Cancel::NotAllowed);
        return [this](qint64 done, qint64 total) {
            if (work_)
                work_->step(done, total);
        };
    }
    void end() { work_.reset(); }

private:
    QWidget* parent_;
    std::unique_ptr<LongWork> work_;
};

}  // namespace

bool runMaintenanceCommand(const QString& id, CardContext& cards, Services& services,
                           QWidget* parent) {
    using Procedure = void (MaintenanceProcedures::*)();
    Procedure procedure = nullptr;
    if (id == QLatin1String("ID_BackupDati"))
        procedure = &MaintenanceProcedures::backup;
    else if (id == QLatin1String("ID_RipristinoDati"))
        procedure = &MaintenanceProcedures::restore;
    else if (id == QLatin1String("ID_CompattamentoDati"))
        procedure = &MaintenanceProcedures::compact;
    else if (id == QLatin1String("ID_RecuperoDati"))
        procedure = &MaintenanceProcedures::repair;
    else
        return false;

    CopyProgress progress(parent);
    MaintenanceProcedures::Hooks hooks;
    hooks.chooseMode = [parent](const QString& caption) {
        BackupModeWindow form(parent);
        switch (form.ask(caption)) {
            case BackupModeWindow::Choice::Automatic:
                return MaintenanceProcedures::Mode::Automatic;
            case BackupModeWindow::Choice::Manual:
                return MaintenanceProcedures::Mode::Manual;
            case BackupModeWindow::Choice::Cancelled:
                break;
        }
        return MaintenanceProcedures::Mode::Cancelled;
    };
    hooks.setWindowEnabled = [parent](bool enabled) {
        if (parent)
            parent->window()->setEnabled(enabled);
    };
    hooks.startProgress = [&progress](const QString& label) { return progress.start(label); };
    hooks.endProgress = [&progress] { progress.end(); };
    // The main window's closing questions are not asked: the process just ends.
    hooks.endProgram = [] { QApplication::exit(0); };
    MaintenanceProcedures procedures(cards, services, std::move(hooks));
    (procedures.*procedure)();
    return true;
}
