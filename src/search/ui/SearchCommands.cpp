#include "search/ui/SearchCommands.h"

#include "search/ui/PrintCommands.h"
#include "search/ui/RicercaForm.h"

bool runSearchCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent) {
    if (id == QLatin1String("ID_RicercaconStampaStrutturata")) {
        RicercaForm form(cards, services, parent);  // released when it closes
        form.exec();
        return true;
    }
    if (id == QLatin1String("ID_AnteprimadiStampa") || id == QLatin1String("ID_StampaSemplice")) {
        printArchive(id == QLatin1String("ID_AnteprimadiStampa"), cards, services, parent);
        return true;
    }
    return false;
}
