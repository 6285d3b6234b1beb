#include "maintenance/ui/MaintenanceCommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <algorithm>
#include <memory>

#include "maintenance/MaintenanceProcedures.h"
#include "maintenance/ui/BackupModeWindow.h"

namespace {

// A progress dialog over the window, fed from the copy's steps; it lets the windows paint
// while the copy runs on this thread.
class CopyProgress {
public:
    explicit CopyProgress(QWidget* parent) : parent_(parent) {}

    DbMaintenance::Progress start(const QString& label) {
        dialog_ = std::make_unique<QProgressDialog>(label, QString(), 0, 1000, parent_);
        dialog_->setObjectName(QStringLiteral("MaintenanceProgress"));
        dialog_->setWindowTitle(QApplication::applicationName());
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(300);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setValue(0);
        clock_.start();
        return [this](qint64 done, qint64 total) {
            if (!dialog_ || clock_.elapsed() < 40)
                return;
            clock_.restart();
            const qint64 value = total > 0 ? done * 1000 / total : 0;
            dialog_->setValue(int(std::clamp<qint64>(value, 0, 999)));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }
    void end() { dialog_.reset(); }

private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer clock_;
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
