#include "platform/report/ui/ReportPainter.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "platform/core/AppError.h"
#include "platform/report/ReportLayout.h"

namespace ReportPainter {

namespace {

QFont fontFor(ReportItem::Style style) {
    QFont font(QStringLiteral("DejaVu Sans"));
    // No shaping for plain Latin text: no "ﬀ" ligatures, so that the PDF's text layer
    // reads "Scaffale" for copying and searching.
    font.setStyleStrategy(QFont::PreferNoShaping);
    // Pixel sizes are in points here: the painter's scale turns them into device units.
    switch (style) {
        case ReportItem::Style::Title:
            font.setPixelSize(16);
            font.setBold(true);
            break;
        case ReportItem::Style::Heading:
            font.setPixelSize(10);
            font.setBold(true);
            break;
        case ReportItem::Style::Label:
            font.setPixelSize(9);
            font.setBold(true);
            break;
        case ReportItem::Style::Small:
            font.setPixelSize(8);
            break;
        default:
            font.setPixelSize(9);
    }
    return font;
}

}  // namespace

void paintItems(QPainter& painter, const std::vector<ReportItem>& items, double scale) {
    painter.save();
    painter.scale(scale, scale);
    painter.setPen(Qt::black);
    for (const ReportItem& item : items) {
        if (item.style == ReportItem::Style::Rule) {
            painter.setPen(QPen(Qt::black, 0.5));
            painter.drawLine(item.box.topLeft(), item.box.topRight());
            continue;
        }
        const QFont font = fontFor(item.style);
        painter.setFont(font);
        // Too long a text ends in "…" within its box rather than running into the next.
        const QString text = QFontMetricsF(font).elidedText(item.text.simplified(), Qt::ElideRight,
                                                            item.box.width());
        Qt::Alignment align = Qt::AlignVCenter;
        align |= item.centred ? Qt::AlignHCenter : item.alignRight ? Qt::AlignRight : Qt::AlignLeft;
        painter.drawText(item.box, int(align), text);
    }
    painter.restore();
}

void paintPage(QPainter& painter, const ReportLayout& layout, int number, double scale) {
    paintItems(painter, layout.page(number), scale);
}

QImage pageImage(const ReportLayout& layout, int number, double scale) {
    const QSizeF size = layout.pageSize() * scale;
    QImage image(size.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPage(painter, layout, number, scale);
    return image;
}

bool paintAll(QPagedPaintDevice& device, const ReportLayout& layout,
              const std::function<bool(int, int)>& keepGoing, int from, int to) {
    const QPageLayout::Orientation orientation =
        layout.report().landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(kReportErrorNumber, QStringLiteral("ReportEngine"),
                       QStringLiteral("Impossibile avviare la stampa"));
    const double scale = device.logicalDpiX() / 72.0;
    const int last = to <= 0 ? layout.pageCount() : std::min(to, layout.pageCount());
    const int first = std::clamp(from, 1, std::max(last, 1));
    const int count = last - first + 1;
    // One pass over the records in order: the pages come as they are read.
    const bool finished =
        layout.walk(first, last, [&](int number, const std::vector<ReportItem>& items) {
            if (keepGoing && !keepGoing(number - first + 1, count))
                return false;
            if (number > first)
                device.newPage();
            paintItems(painter, items, scale);
            return true;
        });
    painter.end();
    return finished;
}

bool writePdf(const QString& path, const ReportLayout& layout,
              const std::function<bool(int, int)>& keepGoing) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(
            ErrorCode::FileError, QStringLiteral("ReportEngine"),
            QStringLiteral("Impossibile scrivere il file %1 (%2): nessun file è stato modificato")
                .arg(path, file.errorString()));
    bool complete = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(layout.report().title);
        writer.setCreator(QStringLiteral("Raccolio"));
        complete = paintAll(writer, layout, keepGoing);
    }
    if (!complete) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        throw AppError(
            ErrorCode::FileError, QStringLiteral("ReportEngine"),
            QStringLiteral("Impossibile scrivere il file %1 (%2): nessun file è stato modificato")
                .arg(path, file.errorString()));
    return true;
}

}  // namespace ReportPainter
