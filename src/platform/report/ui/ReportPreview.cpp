#include "platform/report/ui/ReportPreview.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QVBoxLayout>

#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportPainter.h"
#include "platform/services/FileDialogService.h"
#include "platform/services/Guard.h"
#include "platform/services/Services.h"

bool runWithProgress(QWidget* parent, const QString& label,
                     const std::function<bool(const std::function<bool(int, int)>&)>& work) {
    QProgressDialog progress(label, QStringLiteral("Annulla"), 0, 1, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    return work([&](int page, int pages) {
        progress.setMaximum(pages);
        progress.setValue(page - 1);  // shows the dialog once the work takes a while
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
}

ReportPreview::ReportPreview(std::unique_ptr<ReportLayout> layout, Services& services,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), layout_(std::move(layout)), services_(services) {
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto button = [this](const QString& text, const QString& name, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setAutoDefault(false);
        return b;
    };
    first_ =
        button(QStringLiteral("|<"), QStringLiteral("cmdFirst"), QStringLiteral("Prima pagina"));
    previous_ = button(QStringLiteral("<"), QStringLiteral("cmdPrevious"),
                       QStringLiteral("Pagina precedente"));
    next_ =
        button(QStringLiteral(">"), QStringLiteral("cmdNext"), QStringLiteral("Pagina successiva"));
    last_ =
        button(QStringLiteral(">|"), QStringLiteral("cmdLast"), QStringLiteral("Ultima pagina"));
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("lblPage"));
    zoom_ = new QComboBox(this);
    zoom_->setObjectName(QStringLiteral("cboZoom"));
    zoom_->setAccessibleName(QStringLiteral("Zoom"));
    zoom_->setFocusPolicy(Qt::StrongFocus);  // no zoom change from a passing wheel
    for (int percent : {50, 75, 100, 125, 150, 200})
        zoom_->addItem(QStringLiteral("%1%").arg(percent), percent);
    zoom_->setCurrentIndex(2);
    auto* printButton =
        button(QStringLiteral("Stampa..."), QStringLiteral("cmdPrint"), QStringLiteral("Stampa"));
    auto* pdfButton = button(QStringLiteral("Esporta in PDF..."), QStringLiteral("cmdPdf"),
                             QStringLiteral("Esporta in PDF"));
    auto* closeButton =
        button(QStringLiteral("Chiudi"), QStringLiteral("cmdClose"), QStringLiteral("Chiudi"));

    auto* bar = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(first_), static_cast<QWidget*>(previous_),
                       static_cast<QWidget*>(pageLabel_), static_cast<QWidget*>(next_),
                       static_cast<QWidget*>(last_), static_cast<QWidget*>(zoom_)})
        bar->addWidget(w);
    bar->addStretch(1);
    bar->addWidget(printButton);
    bar->addWidget(pdfButton);
    bar->addWidget(closeButton);

    surface_ = new QLabel(this);
    surface_->setObjectName(QStringLiteral("surface"));
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(surface_);
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    auto* column = new QVBoxLayout(this);
    column->addLayout(bar);
    column->addWidget(scroll_, 1);

    connect(first_, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(previous_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(last_, &QPushButton::clicked, this, [this] { showPage(layout_->pageCount()); });
    connect(zoom_, &QComboBox::currentIndexChanged, this, [this] { render(); });
    connect(printButton, &QPushButton::clicked, this, &ReportPreview::print);
    connect(pdfButton, &QPushButton::clicked, this, &ReportPreview::exportPdf);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    showPage(1);
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showPage(int number) {
    page_ = std::clamp(number, 1, layout_->pageCount());
    runGuarded(services_.messages, "ReportPreview.showPage", [this] { render(); });
}

void ReportPreview::render() {
    const int pages = layout_->pageCount();
    pageLabel_->setText(QStringLiteral("Pagina %1 di %2").arg(page_).arg(pages));
    first_->setEnabled(page_ > 1);
    previous_->setEnabled(page_ > 1);
    next_->setEnabled(page_ < pages);
    last_->setEnabled(page_ < pages);
    // Without an order index, the first page after page 1 of a big report reads the keys of
    // every record once.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const double dpr = devicePixelRatioF();
    const double scale = zoom_->currentData().toInt() / 100.0 * logicalDpiX() / 72.0 * dpr;
    QImage image = ReportPainter::pageImage(*layout_, page_, scale);
    image.setDevicePixelRatio(dpr);
    surface_->setPixmap(QPixmap::fromImage(image));
    surface_->resize(surface_->sizeHint());
}

void ReportPreview::print() {
    runGuarded(services_.messages, "ReportPreview.print", [this] {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        runWithProgress(this, QStringLiteral("Stampa in corso..."), [&](const auto& keepGoing) {
            return ReportPainter::paintAll(printer, *layout_, keepGoing);
        });
    });
}

void ReportPreview::exportPdf() {
    runGuarded(services_.messages, "ReportPreview.exportPdf", [this] {
        const QString path = services_.files.saveFileName(
            QStringLiteral("Esporta in PDF"), QString(), QStringLiteral("Documenti PDF (*.pdf)"),
            QStringLiteral("pdf"));
        if (path.isEmpty())
            return;
        runWithProgress(this, QStringLiteral("Esportazione in corso..."),
                        [&](const auto& keepGoing) {
                            return ReportPainter::writePdf(path, *layout_, keepGoing);
                        });
    });
}
