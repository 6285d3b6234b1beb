#include "shell/ScreenScaling.h"

#include "platform/core/AppInfo.h"

namespace ScreenScaling {

Factors factors(int screenWidthPx, int screenHeightPx) {
    return {float(screenWidthPx) / float(designWidth), float(screenHeightPx) / float(designHeight)};
}

Decision decide(const QString& setRisoluzione, int screenWidthTwips) {
    // Val(): a leading number, anything else reads as 0.
    bool ok = false;
    const double value = setRisoluzione.trimmed().toDouble(&ok);
    if (!ok || value != 1.0)
        return Decision::ScaleSilently;
    return screenWidthTwips == referenceWidthTwips ? Decision::Leave : Decision::Ask;
}

QString question() {
    return QStringLiteral("Attenzione! ") + AppInfo::title() +
           QStringLiteral(
               " è stato proggettato per lavorare ad una risoluzione di 640x480. La risoluzione "
               "del "
               "sistema in uso potrebbe causare affaticamento agli occhi a causa delle scritte "
               "troppo piccole. Si può migliorare la visualizzazione ridimensionando il programma "
               "alle impostazioni del sistema. Eseguire il ridimensionamento automatico del "
               "programma?");
}

}  // namespace ScreenScaling
