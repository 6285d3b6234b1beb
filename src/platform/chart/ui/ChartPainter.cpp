#include "platform/chart/ui/ChartPainter.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "platform/chart/ChartModel.h"

namespace {

// A palette that stays apart on screen and in print.
const QColor kColours[] = {
    QColor(0x4e, 0x79, 0xa7), QColor(0xf2, 0x8e, 0x2b), QColor(0xe1, 0x57, 0x59),
    QColor(0x76, 0xb7, 0xb2), QColor(0x59, 0xa1, 0x4f), QColor(0xed, 0xc9, 0x48),
    QColor(0xb0, 0x7a, 0xa1), QColor(0xff, 0x9d, 0xa7), QColor(0x9c, 0x75, 0x5f),
    QColor(0xba, 0xb0, 0xac), QColor(0x2f, 0x4b, 0x7c), QColor(0x8c, 0xd1, 0x7d)};
constexpr int kColourCount = int(sizeof kColours / sizeof kColours[0]);

// Monochrome: white, greys and the hatches a metafile brush has.
struct MonoFill {
    int grey;
    Qt::BrushStyle hatch;
};
constexpr MonoFill kMono[] = {
    {255, Qt::NoBrush},      {255, Qt::BDiagPattern},     {160, Qt::NoBrush},
    {255, Qt::CrossPattern}, {255, Qt::FDiagPattern},     {60, Qt::NoBrush},
    {255, Qt::HorPattern},   {255, Qt::DiagCrossPattern}, {210, Qt::NoBrush},
    {255, Qt::VerPattern},   {110, Qt::NoBrush},          {210, Qt::FDiagPattern}};
constexpr int kMonoCount = int(sizeof kMono / sizeof kMono[0]);

class Drawer {
public:
    Drawer(const ChartModel& chart, QPainter& p, const QRectF& area)
        : chart_(chart),
          p_(p),
          area_(area),
          shown_(chart.shownPoints(ChartPainter::maxShownPoints)) {
        scale_ = std::clamp(std::min(area.width() / 640.0, area.height() / 480.0), 0.5, 8.0);
    }

    void run() {
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing);
        p_.setRenderHint(QPainter::TextAntialiasing);
        p_.fillRect(area_, Qt::white);
        QRectF plot = area_.adjusted(10 * scale_, 8 * scale_, -10 * scale_, -8 * scale_);
        plot = drawTitles(plot);
        plot = drawLegend(plot);
        if (chart_.isPie())
            drawPie(plot);
        else
            drawBars(plot);
        p_.restore();
    }

private:
    QFont font(double points, bool bold = false) const {
        QFont f(QStringLiteral("Sans Serif"));
        f.setPixelSize(std::max(1, qRound(points * scale_)));
        f.setBold(bold);
        return f;
    }
    QPen outline() const { return QPen(QColor(40, 40, 40), std::max(1.0, scale_ * 0.8)); }

    QColor base(int i) const {
        if (chart_.monochrome())
            return QColor(kMono[i % kMonoCount].grey, kMono[i % kMonoCount].grey,
                          kMono[i % kMonoCount].grey);
        return kColours[i % kColourCount];
    }
    // Fills a shape with entry i's colour or hatch, shaded for the sides of 3D shapes.
    void fill(const QPolygonF& shape, int i, int shade = 100) {
        p_.setPen(outline());
        p_.setBrush(base(i).darker(shade));
        p_.drawPolygon(shape);
        const Qt::BrushStyle hatch = kMono[i % kMonoCount].hatch;
        if (chart_.monochrome() && hatch != Qt::NoBrush) {
            p_.setPen(Qt::NoPen);
            p_.setBrush(QBrush(Qt::black, hatch));
            p_.drawPolygon(shape);
        }
    }

    QRectF drawTitles(QRectF r) {
        p_.setPen(Qt::black);
        if (!chart_.title.isEmpty()) {
            p_.setFont(font(17, true));
            const double h = QFontMetricsF(p_.font()).height() * 1.4;
            p_.drawText(QRectF(r.left(), r.top(), r.width(), h), Qt::AlignCenter, chart_.title);
            r.setTop(r.top() + h);
        }
        if (!chart_.bottomTitle.isEmpty()) {
            p_.setFont(font(13, true));
            const double h = QFontMetricsF(p_.font()).height() * 1.5;
            p_.drawText(QRectF(r.left(), r.bottom() - h, r.width(), h), Qt::AlignCenter,
                        chart_.bottomTitle);
            r.setBottom(r.bottom() - h);
        }
        return r;
    }

    // The padding point of a one-value chart has neither name nor count.
    static bool isPadding(const ShownPoint& sp) {
        return sp.legend.isEmpty() && sp.point != 0 && sp.value == 0;
    }
    // With many values most go into "Altri": the count beside each name is the only place
    // the user reads a figure.
    static QString countText(const ShownPoint& sp) {
        return isPadding(sp) ? QString()
                             : QStringLiteral(" (%1)").arg(QLocale(QLocale::Italian).toString(
                                   qint64(sp.value)));
    }

    QRectF drawLegend(QRectF r) {
        p_.setFont(font(12));
        const QFontMetricsF fm(p_.font());
        const double row = fm.height() * 1.35;
        const double box = fm.height() * 0.9;
        double textWidth = 0;
        for (const ShownPoint& sp : shown_)
            textWidth = std::max(textWidth, fm.horizontalAdvance(sp.legend + countText(sp)));
        const double width = std::min(textWidth + box + 16 * scale_, r.width() * 0.35);
        const double height = row * double(shown_.size());
        QRectF legend(r.right() - width, r.center().y() - height / 2, width, height);
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            const double y = legend.top() + row * double(i);
            const QRectF swatch(legend.left(), y + (row - box) / 2, box, box);
            fill(QPolygonF(swatch), int(i));
            p_.setPen(Qt::black);
            const QRectF textRect(swatch.right() + 6 * scale_, y, legend.right() - swatch.right(),
                                  row);
            // The count always shows; a long name is cut in the middle, so names that differ
            // only at their end stay apart.
            const QString count = countText(shown_[i]);
            const QString name = fm.elidedText(shown_[i].legend, Qt::ElideMiddle,
                                               textRect.width() - fm.horizontalAdvance(count));
            p_.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, name + count);
        }
        r.setRight(legend.left() - 14 * scale_);
        return r;
    }

    // Points of an ellipse arc, angles in degrees counter-clockwise from three o'clock.
    static QList<QPointF> arc(const QRectF& e, double from, double to) {
        QList<QPointF> pts;
        const int steps = std::max(2, int(std::abs(to - from) / 3) + 1);
        for (int k = 0; k <= steps; ++k) {
            const double a = qDegreesToRadians(from + (to - from) * k / steps);
            pts << QPointF(e.center().x() + e.width() / 2 * std::cos(a),
                           e.center().y() - e.height() / 2 * std::sin(a));
        }
        return pts;
    }

    void drawPie(QRectF r) {
        double total = 0;
        for (const ShownPoint& sp : shown_)
            total += std::max(0, sp.value);
        const bool deep = chart_.is3d();
        const double side = std::min(r.width(), r.height() / (deep ? 0.7 : 1.0)) * 0.92;
        const double h = deep ? side * 0.55 : side;
        const double depth = deep ? side * 0.1 : 0;
        const QRectF e(r.center().x() - side / 2, r.center().y() - (h + depth) / 2, side, h);
        if (total <= 0) {
            p_.setPen(outline());
            p_.setBrush(Qt::NoBrush);
            p_.drawEllipse(e);
            return;
        }
        // Slices clockwise from twelve o'clock, as a reader goes round a clock.
        std::vector<std::pair<double, double>> spans;
        double at = 90;
        for (const ShownPoint& sp : shown_) {
            const double sweep = 360.0 * std::max(0, sp.value) / total;
            spans.emplace_back(at - sweep, at);
            at -= sweep;
        }
        if (deep) {
            // The rim shows the front half, 180..360 degrees.
            for (std::size_t i = 0; i < spans.size(); ++i) {
                for (double base : {-360.0, 0.0}) {
                    const double a = std::max(spans[i].first, base + 180);
                    const double b = std::min(spans[i].second, base + 360);
                    if (b <= a)
                        continue;
                    QList<QPointF> top = arc(e, a, b);
                    QPolygonF rim(top);
                    for (auto it = top.crbegin(); it != top.crend(); ++it)
                        rim << *it + QPointF(0, depth);
                    fill(rim, int(i), 140);
                }
            }
        }
        for (std::size_t i = 0; i < spans.size(); ++i) {
            if (spans[i].second - spans[i].first <= 0)
                continue;
            QPolygonF slice;
            if (spans[i].second - spans[i].first < 359.99)
                slice << e.center();
            slice << arc(e, spans[i].first, spans[i].second);
            fill(slice, int(i));
        }
        if (chart_.axisLabels == 0)
            return;
        // Shares written on the slices big enough to hold them.
        p_.setFont(font(11, true));
        for (std::size_t i = 0; i < spans.size(); ++i) {
            const double sweep = spans[i].second - spans[i].first;
            if (sweep < 14)
                continue;
            const QPointF mid =
                arc(QRectF(e.center() - QPointF(e.width() * 0.33, e.height() * 0.33),
                           QSizeF(e.width() * 0.66, e.height() * 0.66)),
                    spans[i].first + sweep / 2, spans[i].first + sweep / 2)
                    .first();
            const QString text = QString::number(100.0 * sweep / 360.0, 'f', 1) + QLatin1Char('%');
            const QRectF box(mid - QPointF(40 * scale_, 10 * scale_),
                             QSizeF(80 * scale_, 20 * scale_));
            p_.setPen(chart_.monochrome() ? Qt::black : Qt::white);
            if (chart_.monochrome()) {
                const QRectF back =
                    QFontMetricsF(p_.font()).boundingRect(box, Qt::AlignCenter, text);
                p_.fillRect(back.adjusted(-2, 0, 2, 0), Qt::white);
            }
            p_.drawText(box, Qt::AlignCenter, text);
        }
    }

    static double niceStep(double maxValue, int wanted) {
        const double raw = std::max(1.0, maxValue / wanted);
        const double mag = std::pow(10.0, std::floor(std::log10(raw)));
        for (double m : {1.0, 2.0, 5.0, 10.0})
            if (m * mag >= raw)
                return std::max(1.0, m * mag);
        return 10 * mag;
    }

    void drawBars(QRectF r) {
        const bool horizontal = chart_.horizontal();
        const bool xLabels = chart_.axisLabels == 1 || chart_.axisLabels == 2;
        const bool yLabels = chart_.axisLabels == 1 || chart_.axisLabels == 3;
        double maxValue = 1;
        for (const ShownPoint& sp : shown_)
            maxValue = std::max(maxValue, double(sp.value));
        const double step = niceStep(maxValue, 5);
        const double top = std::ceil(maxValue / step) * step;

        p_.setFont(font(11));
        const QFontMetricsF fm(p_.font());
        const QString widest = QString::number(qint64(horizontal ? shown_.size() : top));
        const double leftRoom = yLabels ? fm.horizontalAdvance(widest) + 10 * scale_ : 4 * scale_;
        const double bottomRoom = xLabels ? fm.height() + 8 * scale_ : 4 * scale_;
        const double depth = chart_.is3d() ? 12 * scale_ : 0;
        const QRectF plot(r.left() + leftRoom, r.top() + depth + 4 * scale_,
                          r.width() - leftRoom - depth,
                          r.height() - bottomRoom - depth - 4 * scale_);
        const int n = std::max<int>(1, int(shown_.size()));
        const double band = (horizontal ? plot.height() : plot.width()) / n;
        const double valueLength = horizontal ? plot.width() : plot.height();
        auto valueAt = [&](double v) { return v / top * valueLength; };

        // Grid, under the bars: horizontal lines and vertical lines as asked.
        p_.setPen(QPen(QColor(200, 200, 200), std::max(1.0, scale_ * 0.6)));
        const bool hLines = chart_.grid == 1 || chart_.grid == 3;
        const bool vLines = chart_.grid == 2 || chart_.grid == 3;
        for (double v = 0; v <= top + 0.5; v += step) {
            const double off = valueAt(v);
            if (!horizontal && hLines)
                p_.drawLine(QPointF(plot.left(), plot.bottom() - off),
                            QPointF(plot.right(), plot.bottom() - off));
            if (horizontal && vLines)
                p_.drawLine(QPointF(plot.left() + off, plot.bottom()),
                            QPointF(plot.left() + off, plot.top()));
        }
        for (int i = 0; i <= n; ++i) {
            if (!horizontal && vLines)
                p_.drawLine(QPointF(plot.left() + band * i, plot.bottom()),
                            QPointF(plot.left() + band * i, plot.top()));
            if (horizontal && hLines)
                p_.drawLine(QPointF(plot.left(), plot.top() + band * i),
                            QPointF(plot.right(), plot.top() + band * i));
        }

        // Axes and their labels.
        p_.setPen(QPen(Qt::black, std::max(1.0, scale_)));
        p_.drawLine(plot.bottomLeft(), plot.topLeft());
        p_.drawLine(plot.bottomLeft(), plot.bottomRight());
        for (double v = 0; v <= top + 0.5; v += step) {
            const double off = valueAt(v);
            const QString text = QString::number(qint64(v));
            if (!horizontal && yLabels)
                p_.drawText(QRectF(r.left(), plot.bottom() - off - fm.height() / 2,
                                   leftRoom - 6 * scale_, fm.height()),
                            Qt::AlignRight | Qt::AlignVCenter, text);
            if (horizontal && xLabels)
                p_.drawText(QRectF(plot.left() + off - 40 * scale_, plot.bottom() + 4 * scale_,
                                   80 * scale_, fm.height()),
                            Qt::AlignCenter, text);
        }
        // Categories are numbered like the legend rows when there is room for the numbers.
        const bool roomForNumbers = band > fm.horizontalAdvance(widest) + 4 || horizontal;
        for (int i = 0; i < int(shown_.size()); ++i) {
            const QString text =
                shown_[std::size_t(i)].point ? QString::number(i + 1) : QStringLiteral("+");
            if (!horizontal && xLabels && roomForNumbers)
                p_.drawText(
                    QRectF(plot.left() + band * i, plot.bottom() + 4 * scale_, band, fm.height()),
                    Qt::AlignCenter, text);
            if (horizontal && yLabels)
                p_.drawText(QRectF(r.left(), plot.top() + band * i, leftRoom - 6 * scale_, band),
                            Qt::AlignRight | Qt::AlignVCenter, text);
        }

        for (int i = 0; i < int(shown_.size()); ++i) {
            const double len = valueAt(std::max(0, shown_[std::size_t(i)].value));
            const double gap = band * 0.18;
            QRectF bar = horizontal
                             ? QRectF(plot.left(), plot.top() + band * i + gap, len, band - 2 * gap)
                             : QRectF(plot.left() + band * i + gap, plot.bottom() - len,
                                      band - 2 * gap, len);
            if (len <= 0)
                continue;
            if (depth > 0) {
                const double d = std::min(depth, (band - 2 * gap) * 0.5);
                const QPointF off(d, -d);
                fill(QPolygonF({bar.topLeft(), bar.topLeft() + off, bar.topRight() + off,
                                bar.topRight()}),
                     i, 80);
                fill(QPolygonF({bar.topRight(), bar.topRight() + off, bar.bottomRight() + off,
                                bar.bottomRight()}),
                     i, 140);
            }
            fill(QPolygonF(bar), i);
        }
    }

    const ChartModel& chart_;
    QPainter& p_;
    QRectF area_;
    std::vector<ShownPoint> shown_;
    double scale_ = 1;
};

}  // namespace

namespace ChartPainter {

void paint(const ChartModel& chart, QPainter& painter, const QRectF& area) {
    Drawer(chart, painter, area).run();
}

}  // namespace ChartPainter
