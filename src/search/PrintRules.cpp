#include "search/PrintRules.h"

#include "cards/Archives.h"
#include "platform/core/AppInfo.h"

namespace PrintRules {

namespace {

void fullScreen(ReportSettings& s, QSize screen) {
    s.windowWidth = screen.width();
    s.windowHeight = screen.height();
    s.windowTop = 0;
    s.windowLeft = 0;
}

}  // namespace

QString question() {
    return QStringLiteral("Si desidera stampare ?");
}

QString previewTitle() {
    return AppInfo::title() + QStringLiteral(" - anteprima di stampa...");
}

void mainWindowPrint(ReportSettings& s, bool preview, const ArchiveDef& archive, QSize screen) {
    s.destination = preview ? ReportSettings::Preview : ReportSettings::Printer;
    s.windowTitle = previewTitle();
    s.reportFile = archive.reportTemplate;
    fullScreen(s, screen);
    s.formula0.clear();  // no heading left over from a search print
}

void searchPrint(ReportSettings& s, const ArchiveDef& archive, const QString& fieldChoice,
                 const QString& text, QSize screen) {
    s.windowTitle = previewTitle();
    s.reportFile = archive.searchReportTemplate;
    s.formula0 = searchHeading(archive, fieldChoice, text);
    fullScreen(s, screen);
}

void plainPrint(ReportSettings& s, const QString& templateName) {
    s.windowTitle = previewTitle();
    s.reportFile = templateName;
}

QString searchHeading(const ArchiveDef& archive, const QString& fieldChoice, const QString& text) {
    return QStringLiteral("BRENVATI= \"") + archive.searchHeading + fieldChoice +
           QStringLiteral(" - Testo di ricerca: ") + text.toUpper() + u'"';
}

}  // namespace PrintRules
