#include "shell/ui/ProgramHooks.h"

#include "cards/Catalogue.h"
#include "game/ui/GameCommands.h"
#include "maintenance/DamagedCatalogue.h"
#include "platform/ui/LongWork.h"
#include "maintenance/ui/MaintenanceCommands.h"
#include "platform/core/HelpFile.h"
#include "platform/ui/HelpViewer.h"
#include "prefs/ui/AboutBox.h"
#include "prefs/ui/OptionsWindow.h"
#include "prefs/ui/PasswordChangeWindow.h"
#include "prefs/ui/PasswordPrompt.h"
#include "registers/ui/RegisterCommands.h"
#include "search/ui/SearchCommands.h"
#include "stats/ui/StatsCommands.h"
#include "transfer/ui/TransferCommands.h"

StartupHooks programHooks(Services& services) {
    StartupHooks hooks;
    hooks.password = [&services](QWidget* parent) { return runStartupPassword(services, parent); };
    hooks.about = [&services](QWidget* parent) {
        AboutBox box(services, parent);
        box.exec();
    };
    hooks.command = [&services](const QString& id, CardContext& cards, QWidget* parent) {
        // Each subsystem answers for its own commands.
        if (runRegisterCommand(id, cards, services, parent) ||
            runMaintenanceCommand(id, cards, services, parent) ||
            runSearchCommand(id, cards, services, parent) ||
            runStatsCommand(id, cards, services, parent) ||
            runGameCommand(id, cards, services, parent) ||
            runTransferCommand(id, cards, services, parent))
            return true;
        // Windows shown modally and fresh: each opening starts from a new window.
        if (id == QLatin1String("ID_Configurazione")) {
            OptionsWindow w(services, parent);
            w.exec();
        } else if (id == QLatin1String("ID_ManutenzionePassword")) {
            PasswordChangeWindow w(services, parent);
            w.exec();
        } else if (id == QLatin1String("ID_GuidainLinea")) {
            showHelp(services, parent, HelpRequest::contents());
        } else if (id == QLatin1String("ID_IndicedellaGuida")) {
            showHelp(services, parent, HelpRequest::index());
        } else if (id == QLatin1String("ID_SupportoProdotto") ||
                   id == QLatin1String("ID_HomePage") ||
                   id == QLatin1String("ID_PostaElettronica")) {
            // The maker has no web or mail address: both lead to the support topic.
            showHelp(services, parent, HelpRequest::keyword(QStringLiteral("Supporto")));
        } else {
            return false;
        }
        return true;
    };
    hooks.recoverCatalogue = [&services](QWidget* parent, bool running) {
        // A salvage or a restore of a big catalogue takes seconds: the window says so.
        LongWork work(parent, QStringLiteral("Recupero del catalogo in corso..."),
                      LongWork::Cancel::NotAllowed);
        return offerCatalogueRecovery(Catalogue::defaultPath(), services.messages,
                                      [&work](qint64 done, qint64 total) { work.step(done, total); },
                                      running ? FreshStart::NotOffered : FreshStart::Offered);
    };
    return hooks;
}
