#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;

// A Windows metafile (placeable header, 96 units per inch) of whatever a QPainter draws:
// pens, solid and hatched brushes, polygons, polylines and text as text records. Images
// are left out; the chart draws none.
namespace WmfWriter {

QByteArray render(QSize size, const std::function<void(QPainter&)>& paint);
// False when the file could not be written completely.
bool write(const QString& path, QSize size, const std::function<void(QPainter&)>& paint);

}  // namespace WmfWriter
