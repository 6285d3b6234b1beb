#include <QApplication>
#include <QIcon>
#include <memory>

#include "cards/Catalogue.h"
#include "maintenance/CatalogueFiles.h"
#include "maintenance/DamagedCatalogue.h"
#include "platform/ui/LongWork.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/AppState.h"
#include "platform/core/ProgramFolder.h"
#include "platform/services/Services.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/QtServices.h"
#include "shell/SingleInstance.h"
#include "shell/ui/Program.h"
#include "shell/ui/StderrMessageService.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    installItalianTranslations(app);
    // The desktop's own copy when installed, else the one beside the program.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("raccolio"),
                         QIcon(ProgramFolder::dataFile(QStringLiteral("raccolio.png")))));

    std::unique_ptr<MessageService> messages;
    if (qEnvironmentVariable("RACCOLIO_UNATTENDED") == QLatin1String("1"))
        messages = std::make_unique<StderrMessageService>(
            qEnvironmentVariable("RACCOLIO_UNATTENDED_ANSWERS"));
    else
        messages = std::make_unique<QtMessageService>();

    SingleInstance instance(ProgramFolder::path());
    if (!instance.isFirst()) {
        messages->critical(QStringLiteral("Una istanza di ") + AppInfo::title() +
                           QStringLiteral(" è già in esecuzione."));
        return 3;
    }

    // The settings key gets its defaults before anything reads it.
    SettingsStore settings;
    settings.ensureDefaults();

    // Only now, holding the lock: no other run of ours is writing here.
    CatalogueFiles::removeLeftovers();

    try {
        Catalogue::openOrCreate(Catalogue::defaultPath());
    } catch (const AppError& e) {
        LongWork work(nullptr, QStringLiteral("Recupero del catalogo in corso..."),
                      LongWork::Cancel::NotAllowed);
        if (!answerUnopenedCatalogue(Catalogue::defaultPath(), e, *messages,
                                     [&work](qint64 done, qint64 total) { work.step(done, total); }))
            return 2;
    }

    QtFileDialogService files;
    QtInputService input;
    AppState state;
    Services services{*messages, files, input, settings, state};

    // Everything after "raccolio" on the command line, as one text.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    return runMainWindow(app, services, args.join(QLatin1Char(' ')), [&](QWidget* window) {
        if (auto* qtMessages = dynamic_cast<QtMessageService*>(messages.get()))
            qtMessages->setParent(window);
        files.setParent(window);
        input.setParent(window);
    });
}
