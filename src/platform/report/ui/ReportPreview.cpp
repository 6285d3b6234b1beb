#include "platform/report/ui/ReportPreview.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportPainter.h"
#include "platform/services/DialogOwner.h"
#include "platform/services/FileDialogService.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/SaveTarget.h"
#include "platform/services/Services.h"
#include "platform/ui/LongWork.h"
#include "platform/ui/QtServices.h"

bool runWithProgress(QWidget* parent, const QString& label,
                     const std::function<bool(const std::function<bool(int, int)>&)>& work) {
    LongWork progress(parent, label);
    return work([&](int page, int pages) { return progress.step(page - 1, pages); });
}

namespace {

bool showPrintDialog(QPrinter& printer, int pages, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setMinMax(1, pages);
    printer.setFromTo(1, pages);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    returnFocus(parent);
    return accepted;
}

}  // namespace

ReportPreview::ReportPreview(std::unique_ptr<ReportLayout> layout, Services& services,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), layout_(std::move(layout)), services_(services) {
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    printDialog_ = [this](QPrinter& printer, int pages) {
        return showPrintDialog(printer, pages, this);
    };

    auto button = [this](const QString& text, const QString& name, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setAutoDefault(false);
        return b;
    };
    first_ = button(QStringLiteral("|<"), QStringLiteral("cmdFirst"),
                    QStringLiteral("Prima pagina (Ctrl+Home)"));
    previous_ = button(QStringLiteral("<"), QStringLiteral("cmdPrevious"),
                       QStringLiteral("Pagina precedente (PgSu)"));
    next_ = button(QStringLiteral(">"), QStringLiteral("cmdNext"),
                   QStringLiteral("Pagina successiva (PgGiù)"));
    last_ = button(QStringLiteral(">|"), QStringLiteral("cmdLast"),
                   QStringLiteral("Ultima pagina (Ctrl+Fine)"));
    for (QPushButton* b : {first_, previous_, next_, last_})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral(">|")) + 24);

    const int pages = layout_->pageCount();
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName(QStringLiteral("txtPage"));
    pageBox_->setAccessibleName(QStringLiteral("Pagina"));
    pageBox_->setRange(1, pages);
    pageBox_->setKeyboardTracking(false);  // a page is drawn once its number is typed
    pageBox_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    pageBox_->setAlignment(Qt::AlignRight);
    pageBox_->setMinimumWidth(pageBox_->fontMetrics().horizontalAdvance(QString::number(pages)) +
                              pageBox_->fontMetrics().averageCharWidth() * 3);
    auto* pageCaption = new QLabel(QStringLiteral("&Pagina"), this);
    pageCaption->setBuddy(pageBox_);
    pageCount_ = new QLabel(QStringLiteral("di %1").arg(pages), this);
    pageCount_->setObjectName(QStringLiteral("lblPage"));

    zoom_ = new QComboBox(this);
    zoom_->setObjectName(QStringLiteral("cboZoom"));
    zoom_->setAccessibleName(QStringLiteral("Zoom"));
    zoom_->setFocusPolicy(Qt::StrongFocus);  // no zoom change from a passing wheel
    zoom_->addItem(QStringLiteral("Adatta alla larghezza"), fitWidth);
    for (int percent : {50, 75, 100, 125, 150, 200})
        zoom_->addItem(QStringLiteral("%1%").arg(percent), percent);
    zoom_->setCurrentIndex(0);  // the whole width of a landscape page on a small screen
    auto* zoomCaption = new QLabel(QStringLiteral("&Zoom"), this);
    zoomCaption->setBuddy(zoom_);
    auto* printButton =
        button(QStringLiteral("&Stampa..."), QStringLiteral("cmdPrint"), QStringLiteral("Stampa"));
    auto* pdfButton = button(QStringLiteral("&Esporta in PDF..."), QStringLiteral("cmdPdf"),
                             QStringLiteral("Esporta in PDF"));
    auto* closeButton =
        button(QStringLiteral("&Chiudi"), QStringLiteral("cmdClose"), QStringLiteral("Chiudi"));

    // Pages and zoom above the page, the commands below it, as in a dialog: both rows fit
    // a 640-pixel screen.
    auto* bar = new QHBoxLayout;
    bar->setSpacing(4);
    bar->addWidget(first_);
    bar->addWidget(previous_);
    bar->addWidget(pageCaption);
    bar->addWidget(pageBox_);
    bar->addWidget(pageCount_);
    bar->addWidget(next_);
    bar->addWidget(last_);
    bar->addSpacing(12);
    bar->addWidget(zoomCaption);
    bar->addWidget(zoom_);
    bar->addStretch(1);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(printButton);
    commands->addWidget(pdfButton);
    commands->addWidget(closeButton);

    surface_ = new QLabel(this);
    surface_->setObjectName(QStringLiteral("surface"));
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(surface_);
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setFocusPolicy(Qt::NoFocus);  // the keys below page; the arrows still scroll
    scroll_->installEventFilter(this);
    pageBox_->installEventFilter(this);
    auto* column = new QVBoxLayout(this);
    column->addLayout(bar);
    column->addWidget(scroll_, 1);
    column->addLayout(commands);
    const QList<QWidget*> order{first_, previous_,   pageBox_,  next_,      last_,
                                zoom_,  printButton, pdfButton, closeButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(first_, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(previous_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(last_, &QPushButton::clicked, this, [this] { showPage(layout_->pageCount()); });
    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int n) {
        if (n != page_)
            showPage(n);
    });
    connect(zoom_, &QComboBox::currentIndexChanged, this,
            [this] { guarded("ReportPreview.zoom", [this] { render(); }); });
    connect(printButton, &QPushButton::clicked, this, &ReportPreview::print);
    connect(pdfButton, &QPushButton::clicked, this, &ReportPreview::exportPdf);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    // Pages by keyboard wherever the focus is, as in any document viewer; the page box
    // keeps Home and End for its own text, Ctrl+Home and Ctrl+End work there too.
    const auto key = [this](QKeySequence sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_PageUp), [this] { showPage(page_ - 1); });
    key(QKeySequence(Qt::Key_PageDown), [this] { showPage(page_ + 1); });
    key(QKeySequence(Qt::Key_Home), [this] { showPage(1); });
    key(QKeySequence(Qt::Key_End), [this] { showPage(layout_->pageCount()); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { showPage(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { showPage(layout_->pageCount()); });
    key(QKeySequence(Qt::Key_Escape), [this] { close(); });
    showPage(1);
}

ReportPreview::~ReportPreview() {
    if (watched_)
        watched_->removeTableListener(listener_);
}

void ReportPreview::closeWhenReplaced(std::shared_ptr<Database> db) {
    if (watched_)
        watched_->removeTableListener(listener_);
    watched_ = std::move(db);
    listener_ = watched_->addTableListener([this](const QString& table) {
        if (table.compare(layout_->report().source, Qt::CaseInsensitive) == 0)
            close();
    });
}

void ReportPreview::guarded(const char* source, const std::function<void()>& body) {
    const DialogOwner owner(services_, this);
    runGuarded(services_.messages, source, body);
}

void ReportPreview::showPage(int number) {
    page_ = std::clamp(number, 1, layout_->pageCount());
    guarded("ReportPreview.showPage", [this] { render(); });
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event) {
    // The page box would take Ctrl+Home and Ctrl+End for its cursor: left unclaimed, they
    // reach the window's shortcuts and turn to the first and last page.
    if (watched == pageBox_ && event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier &&
            (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            event->ignore();
            return true;
        }
    }
    // The page area, not the window: it has its final width only once laid out.
    if (watched == scroll_ && event->type() == QEvent::Resize &&
        zoom_->currentData().toInt() == fitWidth)
        guarded("ReportPreview.resize", [this] { render(); });
    return QWidget::eventFilter(watched, event);
}

double ReportPreview::pointsToPixels() const {
    const int percent = zoom_->currentData().toInt();
    if (percent != fitWidth)
        return percent / 100.0 * logicalDpiX() / 72.0;
    // The room beside a vertical scroll bar, which a page taller than the window has.
    const int room = scroll_->width() - 2 * scroll_->frameWidth() -
                     scroll_->verticalScrollBar()->sizeHint().width() - 8;
    return std::max(80, room) / layout_->pageSize().width();
}

void ReportPreview::render() {
    const int pages = layout_->pageCount();
    {
        const QSignalBlocker quiet(pageBox_);
        pageBox_->setValue(page_);
    }
    first_->setEnabled(page_ > 1);
    previous_->setEnabled(page_ > 1);
    next_->setEnabled(page_ < pages);
    last_->setEnabled(page_ < pages);
    // Without an order index, the first page after page 1 of a big report reads the keys of
    // every record once.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const double dpr = devicePixelRatioF();
    QImage image = ReportPainter::pageImage(*layout_, page_, pointsToPixels() * dpr);
    image.setDevicePixelRatio(dpr);
    surface_->setPixmap(QPixmap::fromImage(image));
    surface_->resize(surface_->sizeHint());
}

void ReportPreview::print() {
    guarded("ReportPreview.print", [this] {
        const int pages = layout_->pageCount();
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(layout_->report().title);
        printer.setPageOrientation(layout_->report().landscape ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
        if (!printDialog_(printer, pages))
            return;
        int from = 1;
        int to = pages;
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            from = printer.fromPage();
            to = std::max(from, printer.toPage());
        } else if (printer.printRange() == QPrinter::CurrentPage) {
            from = to = page_;
        }
        runWithProgress(this, QStringLiteral("Stampa in corso..."), [&](const auto& keepGoing) {
            return ReportPainter::paintAll(printer, *layout_, keepGoing, from, to);
        });
    });
}

void ReportPreview::exportPdf() {
    guarded("ReportPreview.exportPdf", [this] {
        const QString path = services_.files.saveFileName(
            QStringLiteral("Esporta in PDF"), QString(), QStringLiteral("Documenti PDF (*.pdf)"),
            QStringLiteral("pdf"));
        if (path.isEmpty() || !SaveTarget::confirm(path, services_))
            return;
        const bool existed = QFileInfo::exists(path);
        const QString shown = QDir::toNativeSeparators(path);
        const bool done = runWithProgress(
            this, QStringLiteral("Esportazione in corso..."), [&](const auto& keepGoing) {
                return ReportPainter::writePdf(path, *layout_, keepGoing);
            });
        if (!done)
            services_.messages.information(
                existed ? QStringLiteral("Esportazione annullata: il file %1 è rimasto com'era.")
                              .arg(shown)
                        : QStringLiteral("Esportazione annullata: il file %1 non è stato creato.")
                              .arg(shown));
        else
            services_.messages.information(
                QStringLiteral("Esportazione in PDF completata nel file %1.").arg(shown));
    });
}
