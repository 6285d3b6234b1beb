#pragma once

#include <QRectF>

class ChartModel;
class QPainter;

// Draws the chart on any paint device: the window, a QImage for bitmaps, the printer
// and the metafile writer. Solid colours and hatches only, so a metafile shows the same
// picture. At most maxShownPoints entries are drawn; the rest are summed as "Altri".
namespace ChartPainter {

inline constexpr int maxShownPoints = 12;

void paint(const ChartModel& chart, QPainter& painter, const QRectF& area);

}  // namespace ChartPainter
