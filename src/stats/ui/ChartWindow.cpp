#include "stats/ui/ChartWindow.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/chart/ui/ChartPainter.h"
#include "platform/chart/ui/WmfWriter.h"
#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/Log.h"
#include "platform/core/ProgramFolder.h"
#include "platform/services/FileDialogService.h"
#include "platform/services/Guard.h"
#include "platform/services/MessageService.h"
#include "platform/services/SaveTarget.h"
#include "platform/services/Services.h"
#include "stats/CountTable.h"
#include "stats/ui/CountTableWindow.h"

namespace {

// The engine's "printer error"; the printing of reports uses the same number.
constexpr int kNoPrinter = 482;

class ChartView : public QWidget {
public:
    ChartView(const ChartModel& chart, QWidget* parent) : QWidget(parent), chart_(chart) {
        setObjectName(QStringLiteral("Graph1"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        ChartPainter::paint(chart_, p, rect());
    }

private:
    const ChartModel& chart_;
};

}  // namespace

ChartWindow::ChartWindow(Services& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("Grafico"));
    setWindowTitle(AppInfo::title());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    chart_.setOutput(this);

    auto* bar = new QMenuBar(this);
    QMenu* menu = bar->addMenu(QStringLiteral("&Menu"));
    menu->setObjectName(QStringLiteral("gramenu"));
    auto item = [&](const char* name, const QString& caption, auto slot) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
    };
    item("epsbmp", QStringLiteral("Esporta grafico in BMP (bitmap)"),
         [this] { exportChart(ImageFormat::Bitmap); });
    item("espwmf", QStringLiteral("Esporta grafico in WMF (metafile)"),
         [this] { exportChart(ImageFormat::Metafile); });
    item("copclip", QStringLiteral("Copia grafico nella Clipboard (in memoria)"), [this] {
        runGuarded(services_.messages, "Grafico.copclip_Click", [this] {
            chart_.setDrawMode(ChartModel::Copy);
            chart_.setDrawMode(ChartModel::Draw);
        });
    });
    // The chart draws a dozen entries at most; the table has every value with its count.
    item("tabvalori", QStringLiteral("&Tabella dei valori..."), [this] {
        runGuarded(services_.messages, "Grafico.tabvalori_Click", [this] {
            CountTableWindow table(CountTable::rows(chart_), services_, this);
            table.exec();
        });
    });
    menu->addSeparator()->setObjectName(QStringLiteral("sep1"));
    item("prngraf", QStringLiteral("&Stampa grafico"), [this] {
        runGuarded(services_.messages, "Grafico.prngraf_Click", [this] {
            chart_.printStyle = 1;
            chart_.setDrawMode(ChartModel::Print);
            chart_.setDrawMode(ChartModel::Draw);
        });
    });
    menu->addSeparator()->setObjectName(QStringLiteral("sep3"));
    item("uscgraf", QStringLiteral("&Uscita"), [this] { close(); });

    view_ = new ChartView(chart_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    layout->addWidget(view_);

    // Centred by its working size, so that the whole chart is on the screen (centring by
    // the size before the resize pushed half of it off the bottom right).
    resize(640, 480);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.left() + qMax(0, (s.width() - width()) / 2),
             s.top() + qMax(0, (s.height() - height()) / 2));
    }
}

ChartWindow::~ChartWindow() {
    chart_.setOutput(nullptr);
}

QSize ChartWindow::drawingSize() const {
    return view_->size().isEmpty() ? QSize(640, 480 - 24) : view_->size();
}

QImage ChartWindow::image(QSize size) const {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    ChartPainter::paint(chart_, p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

void ChartWindow::redraw() {
    view_->update();
}

void ChartWindow::copyToClipboard() {
    QGuiApplication::clipboard()->setImage(image(drawingSize()));
}

void ChartWindow::print() {
    if (QPrinterInfo::availablePrinters().isEmpty())
        throw AppError(kNoPrinter, QStringLiteral("Graph1"),
                       QStringLiteral("Nessuna stampante installata"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(chart_.title);
    QPainter p;
    if (!p.begin(&printer))
        throw AppError(kNoPrinter, QStringLiteral("Graph1"),
                       QStringLiteral("Impossibile stampare sulla stampante predefinita"));
    // The window's proportions, as large as the page allows.
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const QSizeF shape = QSizeF(drawingSize()).scaled(page.size(), Qt::KeepAspectRatio);
    ChartPainter::paint(chart_, p, QRectF(QPointF(0, 0), shape));
}

void ChartWindow::writeFile(const QString& path, ImageFormat format) {
    const QSize size = drawingSize();
    if (format == ImageFormat::Bitmap)
        written_ = image(size).save(path, "BMP");
    else
        written_ = WmfWriter::write(path, size, [this, size](QPainter& p) {
            ChartPainter::paint(chart_, p, QRectF(QPointF(0, 0), QSizeF(size)));
        });
}

void ChartWindow::exportChart(ImageFormat format) {
    const bool bitmap = format == ImageFormat::Bitmap;
    // Report templates are named relative to the program folder: it is current again
    // on every way out.
    struct BackHome {
        ~BackHome() { QDir::setCurrent(ProgramFolder::path()); }
    } backHome;
    // Failing steps are passed over, as the chart component did; only the final
    // message tells whether a file was written.
    QString path = services_.files.saveFileName(
        QStringLiteral("Salva il grafico su file"), ProgramFolder::path(),
        bitmap ? QStringLiteral("File Bitmap (*.BMP *.bmp)")
               : QStringLiteral("File Metafile (*.WMF *.wmf)"),
        bitmap ? QStringLiteral("bmp") : QStringLiteral("wmf"));
    if (path.isEmpty())
        return;
    // "graf1" is meant as graf1.bmp: a file without an extension opens nowhere.
    if (QFileInfo(path).suffix().isEmpty())
        path += bitmap ? QStringLiteral(".bmp") : QStringLiteral(".wmf");
    if (!SaveTarget::confirm(path, services_))
        return;
    QFile::remove(path);
    written_ = false;
    try {
        chart_.setDrawMode(bitmap ? ChartModel::Bitmap : ChartModel::Draw);
        chart_.imageFile = path;
        chart_.setDrawMode(ChartModel::Write);
        chart_.setDrawMode(ChartModel::Draw);
    } catch (const std::exception& e) {
        // Reported below as a file not written.
        qCWarning(lcUi) << "Grafico: writing" << path << "failed:" << e.what();
        written_ = false;
    }
    if (written_)
        services_.messages.information(
            QStringLiteral("Il grafico è stato salvato correttamente nel file ") + path);
    else
        services_.messages.critical(
            QStringLiteral("Non è stato possibile salvare il grafico nel file ") + path +
            QLatin1Char('.'));
}
