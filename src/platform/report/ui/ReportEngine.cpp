#include "platform/report/ui/ReportEngine.h"

#include <QApplication>
#include <QDate>
#include <QScopeGuard>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportPainter.h"
#include "platform/report/ui/ReportPreview.h"

ReportEngine::ReportEngine(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("CrystalReport1"));
}

ReportEngine& ReportEngine::of(QWidget* widget) {
    QWidget* top = widget;
    while (top->parentWidget())
        top = top->parentWidget();
    auto* engine = top->findChild<ReportEngine*>(QString(), Qt::FindDirectChildrenOnly);
    return engine ? *engine : *new ReportEngine(top);
}

std::unique_ptr<ReportLayout> ReportEngine::prepare() const {
    ReportTemplate report = ReportTemplate::load(ProgramFolder::dataFile(settings.reportFile));
    report.applyFormula(settings.formula0);
    auto db = Database::open(ProgramFolder::file(AppInfo::catalogueFileName()));
    // The first report of a big archive builds its order index: seconds, once.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    return std::make_unique<ReportLayout>(std::move(report), std::move(db), QDate::currentDate());
}

void ReportEngine::run(Services& services, QWidget* parent) {
    std::unique_ptr<ReportLayout> layout = prepare();
    QWidget* top = parent;
    while (top && top->parentWidget())
        top = top->parentWidget();
    if (settings.destination == ReportSettings::Preview) {
        auto* preview = new ReportPreview(std::move(layout), services, top);
        preview->setWindowTitle(settings.windowTitle);
        preview->setGeometry(settings.windowLeft, settings.windowTop, settings.windowWidth,
                             settings.windowHeight);
        preview->show();
        return;
    }
    if (QPrinterInfo::defaultPrinter().isNull())
        throw AppError(kReportErrorNumber, QStringLiteral("ReportEngine"),
                       QStringLiteral("Nessuna stampante predefinita è installata."));
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(layout->report().title);
    const ReportLayout& pages = *layout;
    runWithProgress(parent, QStringLiteral("Stampa in corso..."), [&](const auto& keepGoing) {
        return ReportPainter::paintAll(printer, pages, keepGoing);
    });
}
