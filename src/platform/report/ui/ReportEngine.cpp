#include "platform/report/ui/ReportEngine.h"

#include <QApplication>
#include <QDate>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QScreen>
#include <QWindow>

#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/ProgramFolder.h"
#include "platform/db/Database.h"
#include "platform/db/ProgressScope.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportPainter.h"
#include "platform/report/ui/ReportPreview.h"
#include "platform/ui/LongWork.h"

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

std::unique_ptr<ReportLayout> ReportEngine::prepare(QWidget* parent) const {
    ReportTemplate report = ReportTemplate::load(ProgramFolder::dataFile(settings.reportFile));
    report.applyFormula(settings.formula0);
    auto db = Database::open(ProgramFolder::file(AppInfo::catalogueFileName()));
    // The first report of a big archive builds its order keys: seconds, once, so the
    // window says so and keeps painting.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    LongWork work(parent, QStringLiteral("Preparazione della stampa in corso..."),
                  LongWork::Cancel::NotAllowed);
    const ProgressScope painting(db->handle(), work.ticker());
    return std::make_unique<ReportLayout>(std::move(report), db, QDate::currentDate());
}

QRect ReportEngine::previewGeometry(const QRect& available) const {
    const QRect asked(settings.windowLeft, settings.windowTop, settings.windowWidth,
                      settings.windowHeight);
    // Within the screen's free area; with no size given yet (a print from the authors
    // register before any from the main window) or a sliver, the whole free area.
    const QRect inside = asked.intersected(available);
    return inside.width() < 400 || inside.height() < 300 ? available : inside;
}

void ReportEngine::run(Services& services, QWidget* parent) {
    std::unique_ptr<ReportLayout> layout = prepare(parent);
    if (settings.destination == ReportSettings::Preview) {
        // It belongs to the window that opened it: over a modal window (the structured
        // search, the authors register) any other window would be blocked. Over one it is
        // modal itself, so that closing it returns there.
        QWidget* opener = parent ? parent->window() : nullptr;
        auto* preview = new ReportPreview(std::move(layout), services, opener);
        if (opener && (opener->windowModality() != Qt::NonModal ||
                       QApplication::activeModalWidget() == opener))
            preview->setWindowModality(Qt::WindowModal);
        preview->closeWhenReplaced(
            Database::open(ProgramFolder::file(AppInfo::catalogueFileName())));
        preview->setWindowTitle(settings.windowTitle);
        const QScreen* screen =
            opener && opener->screen() ? opener->screen() : QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        const QRect wanted = previewGeometry(available);
        // The rectangle is the whole window, title bar included. The whole free area is the
        // window maximized, which the window manager fits exactly; a smaller one loses the
        // frame the opener has (the same window manager draws both) before it is shown.
        if (wanted == available) {
            preview->setGeometry(available);
            preview->showMaximized();
            return;
        }
        const QWindow* frameOf = opener ? opener->windowHandle() : nullptr;
        const QMargins frame = frameOf ? frameOf->frameMargins() : QMargins();
        preview->resize(wanted.size().shrunkBy(frame));
        preview->move(wanted.topLeft());
        preview->show();
        return;
    }
    if (QPrinterInfo::defaultPrinter().isNull())
        throw AppError(kReportErrorNumber, QStringLiteral("ReportEngine"),
                       QStringLiteral("Nessuna stampante predefinita è installata"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(layout->report().title);
    const ReportLayout& pages = *layout;
    runWithProgress(parent, QStringLiteral("Stampa in corso..."), [&](const auto& keepGoing) {
        return ReportPainter::paintAll(printer, pages, keepGoing);
    });
}
