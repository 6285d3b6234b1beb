#include "search/ui/PrintCommands.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "cards/CardBrowser.h"
#include "cards/CardContext.h"
#include "platform/report/ui/ReportEngine.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"
#include "search/PrintRules.h"

namespace {

QSize screenSize(QWidget* parent) {
    QScreen* screen =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(800, 600);
}

}  // namespace

void printArchive(bool preview, CardContext& cards, Services& services, QWidget* parent) {
    runGuarded(services.messages, "MdiForm1.Stampa", [&] {
        if (!services.messages.question(PrintRules::question()))
            return;
        ReportEngine& engine = ReportEngine::of(parent);
        PrintRules::mainWindowPrint(engine.settings, preview, cards.browser().archiveDef(),
                                    screenSize(parent));
        engine.run(services, parent);
    });
}

void printSearchResult(CardContext& cards, const QString& fieldChoice, const QString& text,
                       Services& services, QWidget* parent) {
    runGuarded(services.messages, "RicercaForm.Command1_Click", [&] {
        ReportEngine& engine = ReportEngine::of(parent);
        PrintRules::searchPrint(engine.settings, cards.browser().archiveDef(), fieldChoice, text,
                                screenSize(parent));
        engine.run(services, parent);
    });
}

void printReport(const QString& templateName, QWidget* parent, Services& services,
                 const char* source) {
    runGuarded(services.messages, source, [&] {
        ReportEngine& engine = ReportEngine::of(parent);
        PrintRules::plainPrint(engine.settings, templateName);
        engine.run(services, parent);
    });
}
