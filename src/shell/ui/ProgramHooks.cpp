#include "shell/ui/ProgramHooks.h"

#include "platform/core/HelpFile.h"
#include "platform/ui/HelpViewer.h"
#include "prefs/ui/AboutBox.h"
#include "prefs/ui/OptionsWindow.h"
#include "prefs/ui/PasswordChangeWindow.h"
#include "prefs/ui/PasswordPrompt.h"

StartupHooks programHooks(Services& services) {
    StartupHooks hooks;
    hooks.password = [&services](QWidget* parent) { return runStartupPassword(services, parent); };
    hooks.about = [&services](QWidget* parent) {
        AboutBox box(services, parent);
        box.exec();
    };
    hooks.command = [&services](const QString& id, QWidget* parent) {
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
    return hooks;
}
