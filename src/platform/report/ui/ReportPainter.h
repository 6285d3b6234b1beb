#pragma once

#include <QString>
#include <functional>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QImage;
class ReportLayout;
struct ReportItem;

// Draws the pages of a report laid out in points on any device.
namespace ReportPainter {

// Paints laid-out items with the page's top left at the painter's origin, `scale` device
// units per point.
void paintItems(QPainter& painter, const std::vector<ReportItem>& items, double scale);
// Paints page `number` with the page's top left at the painter's origin, `scale`
// device units per point.
void paintPage(QPainter& painter, const ReportLayout& layout, int number, double scale);
// One page as an image, `scale` pixels per point, on white.
QImage pageImage(const ReportLayout& layout, int number, double scale);
// Pages `from` to `to` (clamped to the report; 0 for the last), one after the other, on a
// paged device (printer or PDF): each page is laid out, painted and let go before the
// next. keepGoing(done + 1, count) false stops. Returns false when stopped.
bool paintAll(QPagedPaintDevice& device, const ReportLayout& layout,
              const std::function<bool(int, int)>& keepGoing = {}, int from = 1, int to = 0);
// A PDF of the whole report at `path`, written beside it and renamed over it only when
// complete: stopped or failed, it leaves the file that was there, or none. AppError when
// the file cannot be written.
bool writePdf(const QString& path, const ReportLayout& layout,
              const std::function<bool(int, int)>& keepGoing = {});

}  // namespace ReportPainter
