#include "platform/chart/ChartModel.h"

#include <algorithm>
#include <numeric>

#include "platform/core/AppError.h"

void ChartModel::dataReset(int what) {
    if (what != ResetAll)
        return;
    for (ChartPoint& p : points_)
        p = ChartPoint{};
}

void ChartModel::setNumPoints(int n) {
    points_.resize(std::size_t(std::max(n, 0)));
}

void ChartModel::setCurrentPoint(int point) {
    if (point < 1 || point > numPoints())
        throw AppError(ErrorCode::ItemNotFound, QStringLiteral("Graph1"),
                       QStringLiteral("Punto del grafico inesistente"));
    current_ = point;
}

ChartPoint& ChartModel::current() {
    setCurrentPoint(current_);  // the number of points may have shrunk since
    return points_[std::size_t(current_ - 1)];
}

void ChartModel::setValue(qint32 value) {
    current().value = value;
}

void ChartModel::setLegendText(const QString& text) {
    current().legend = text;
}

void ChartModel::setDrawMode(int mode) {
    const int before = drawMode_;
    drawMode_ = mode;
    if (!output_)
        return;
    switch (mode) {
        case Draw:
            output_->redraw();
            break;
        case Copy:
            output_->copyToClipboard();
            break;
        case Print:
            output_->print();
            break;
        case Write:
            output_->writeFile(imageFile, before == Bitmap ? ChartOutput::ImageFormat::Bitmap
                                                           : ChartOutput::ImageFormat::Metafile);
            break;
        default:
            break;
    }
}

void ChartModel::redraw() {
    if (output_)
        output_->redraw();
}

std::vector<ShownPoint> ChartModel::shownPoints(int maxShown) const {
    std::vector<ShownPoint> shown;
    const int n = numPoints();
    if (n <= maxShown || maxShown < 2) {
        for (int i = 0; i < n; ++i)
            shown.push_back({points_[std::size_t(i)].value, points_[std::size_t(i)].legend, i + 1});
        return shown;
    }
    // The largest keep their place; ties go to the point met first.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const auto keep = std::size_t(maxShown - 1);
    std::partial_sort(order.begin(), order.begin() + std::ptrdiff_t(keep), order.end(),
                      [this](int a, int b) {
                          const qint32 va = points_[std::size_t(a)].value;
                          const qint32 vb = points_[std::size_t(b)].value;
                          return va != vb ? va > vb : a < b;
                      });
    std::vector<int> kept(order.begin(), order.begin() + std::ptrdiff_t(keep));
    std::sort(kept.begin(), kept.end());
    qint64 total = 0;
    for (const ChartPoint& p : points_)
        total += p.value;
    qint64 rest = total;
    for (int i : kept) {
        const ChartPoint& p = points_[std::size_t(i)];
        shown.push_back({p.value, p.legend, i + 1});
        rest -= p.value;
    }
    shown.push_back({qint32(std::clamp<qint64>(rest, 0, INT32_MAX)), QStringLiteral("Altri"), 0});
    return shown;
}
