#include "registers/ui/RegisterCommands.h"

#include <type_traits>

#include "cards/CardBrowser.h"
#include "cards/CardContext.h"
#include "platform/services/Guard.h"
#include "platform/services/Services.h"
#include "registers/ui/AuthorsWindow.h"
#include "registers/ui/CardNoteWindows.h"
#include "registers/ui/FileChooserWindow.h"

namespace {

// Each window is modal and fresh: every opening starts from the card as it is now.
template <typename Window>
void runModal(const char* source, CardContext& cards, Services& services, QWidget* parent) {
    runGuarded(services.messages, source, [&] {
        // The windows that write into the card need one.
        if (!std::is_same_v<Window, AuthorsWindow> && cards.browser().refuseWithoutCard())
            return;
        Window window(cards, services, parent);
        window.exec();
    });
}

}  // namespace

bool runRegisterCommand(const QString& id, CardContext& cards, Services& services,
                        QWidget* parent) {
    if (id == QLatin1String("ID_ParoleChiavi") || id == QLatin1String("SSCommand3"))
        runModal<KeywordPickerWindow>("MdiForm1.ParoleChiavi", cards, services, parent);
    else if (id == QLatin1String("SSCommand2"))
        runModal<QuotationWindow>("MdiForm1.SSCommand2_Click", cards, services, parent);
    else if (id == QLatin1String("DBCombo6"))
        runModal<AuthorsWindow>("MdiForm1.DBCombo6_DblClick", cards, services, parent);
    else if (id == QLatin1String("Label29"))
        runModal<FileChooserWindow>("MdiForm1.Label29_Click", cards, services, parent);
    else
        return false;
    return true;
}
