// The main window's answers to a damaged catalogue: found while it loads, before the first
// card, or met on a card while the user works.
#include <QApplication>
#include <QTimer>

#include "maintenance/DamagedCatalogue.h"
#include "platform/core/AppError.h"
#include "platform/services/MessageService.h"
#include "shell/ui/MainWindow.h"

void MainWindow::loadGuarded(const char* source, const std::function<void()>& body) {
    guarded(source, [&] {
        try {
            body();
        } catch (const AppError& e) {
            if (e.number() != ErrorCode::DatabaseDamaged)
                throw;
            if (!damage_)
                damage_ = e;
        }
    });
}

// Once, before the first card is shown; without a recovery the program cannot go on,
// as every card move would meet the damage again.
bool MainWindow::recoverDamagedCatalogue() {
    damage_.reset();
    bool recovered = false;
    if (hooks_.recoverCatalogue) {
        closeDataSources();
        guarded("MdiForm1.Form_Activate",
                [&] { recovered = hooks_.recoverCatalogue(this, false); });
    }
    if (recovered)
        loadGuarded("MdiForm1.Form_Activate", [this] { reopenDataSources(); });
    if (!recovered || damage_) {
        services_.messages.critical(notRecoveredText());
        return false;
    }
    return true;
}

void MainWindow::cardUnreadable(const AppError& failure) {
    if (failure.number() != ErrorCode::DatabaseDamaged || damageOffered_ ||
        !hooks_.recoverCatalogue)
        return;
    damageOffered_ = true;
    // After the move or search that met the card has ended: the recovery closes and reopens
    // every data source, which must not happen under that work.
    QTimer::singleShot(0, this, &MainWindow::offerRecovery);
}

void MainWindow::offerRecovery() {
    if (ending_)
        return;
    // Nor under a window that may be working on the card (the statistics move it): once
    // that is closed.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(200, this, &MainWindow::offerRecovery);
        return;
    }
    closeDataSources();
    bool recovered = false;
    guarded("MdiForm1.Recupero", [&] { recovered = hooks_.recoverCatalogue(this, true); });
    // Declined or not, the cards that can be read are worked with; the damage is not
    // offered again in this run unless a recovery made the catalogue whole.
    damageOffered_ = !recovered;
    guarded("MdiForm1.Recupero", [this] { reopenDataSources(); });
}
