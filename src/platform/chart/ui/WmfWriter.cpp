#include "platform/chart/ui/WmfWriter.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr int kDpi = 96;

// Windows-1252: Latin-1 with printable characters where Latin-1 has control codes 0x80-0x9F
// (the euro sign, the ellipsis the legend cuts with, typographic quotes). Empty when a
// character has no place in it.
std::optional<QByteArray> windows1252(const QString& text) {
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        const auto* found = std::find(std::begin(kHigh), std::end(kHigh), u);
        if (found == std::end(kHigh))
            return std::nullopt;
        bytes.append(char(0x80 + (found - std::begin(kHigh))));
    }
    return bytes;
}

// Record functions of the metafile format.
enum Function : quint16 {
    SetBkMode = 0x0102,
    SetPolyFillMode = 0x0106,
    SetTextAlign = 0x012E,
    SelectObject = 0x012D,
    DeleteObject = 0x01F0,
    SetTextColor = 0x0209,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    CreatePen = 0x02FA,
    CreateFont = 0x02FB,
    CreateBrush = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    PolyPolygon = 0x0538,
    TextOut = 0x0521,
};

quint32 colorRef(const QColor& c) {
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

// One record: its words are collected, the size goes in front.
class Record {
public:
    explicit Record(quint16 function) : function_(function) {}
    Record& w(int v) {
        words_.push_back(quint16(std::clamp(v, -32768, 65535) & 0xffff));
        return *this;
    }
    Record& dw(quint32 v) {
        words_.push_back(quint16(v & 0xffff));
        words_.push_back(quint16(v >> 16));
        return *this;
    }
    Record& bytes(const QByteArray& b) {
        for (qsizetype i = 0; i < b.size(); i += 2) {
            const auto lo = quint8(b[i]);
            const auto hi = i + 1 < b.size() ? quint8(b[i + 1]) : quint8(0);
            words_.push_back(quint16(lo | hi << 8));
        }
        return *this;
    }
    quint16 function() const { return function_; }
    const std::vector<quint16>& words() const { return words_; }

private:
    quint16 function_;
    std::vector<quint16> words_;
};

class WmfEngine : public QPaintEngine {
public:
    WmfEngine() : QPaintEngine(AllFeatures) {}

    bool begin(QPaintDevice* device) override {
        const QSize size(device->width(), device->height());
        put(Record(SetWindowOrg).w(0).w(0));
        put(Record(SetWindowExt).w(size.height()).w(size.width()));
        put(Record(SetBkMode).w(1));        // transparent: hatches leave the white under them
        put(Record(SetPolyFillMode).w(2));  // winding, as QPainter fills
        put(Record(SetTextAlign).w(24));    // baseline, left
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& s) override {
        const DirtyFlags dirty = s.state();
        if (dirty & DirtyPen)
            pen_ = s.pen();
        if (dirty & DirtyBrush)
            brush_ = s.brush();
        if (dirty & DirtyFont)
            font_ = s.font();
        if (dirty & DirtyTransform)
            transform_ = s.transform();
        if (dirty & DirtyBrushOrigin)
            brushOrigin_ = s.brushOrigin();
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPolygonF poly(count);
        std::copy(points, points + count, poly.begin());
        if (mode == PolylineMode) {
            selectPen();
            put(withPoints(Polyline, transform_.map(poly)));
            return;
        }
        selectPen();
        selectBrush();
        put(withPoints(Polygon, transform_.map(poly)));
    }
    void drawPath(const QPainterPath& path) override {
        const QList<QPolygonF> parts = path.toSubpathPolygons(transform_);
        if (parts.isEmpty())
            return;
        selectPen();
        selectBrush();
        if (parts.size() == 1) {
            put(withPoints(Polygon, parts.first()));
            return;
        }
        Record r(PolyPolygon);
        r.w(int(parts.size()));
        for (const QPolygonF& p : parts)
            r.w(int(p.size()));
        for (const QPolygonF& p : parts)
            for (const QPointF& pt : p)
                r.w(qRound(pt.x())).w(qRound(pt.y()));
        put(r);
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPolygonF poly(rects[i]);
            drawPolygon(poly.constData(), int(poly.size()) - 1, OddEvenMode);
        }
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPointF pts[2] = {lines[i].p1(), lines[i].p2()};
            drawPolygon(pts, 2, PolylineMode);
        }
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.isEmpty())
            return;
        selectFont(item.font());
        if (textColor_ != pen_.color()) {
            textColor_ = pen_.color();
            put(Record(SetTextColor).dw(colorRef(pen_.color())));
        }
        // The format's texts are 8-bit, in the font's character set (ANSI, Windows-1252).
        const std::optional<QByteArray> encoded = windows1252(text);
        if (!encoded) {
            // A letter no 8-bit set of ours holds: the text goes as its outlines, so it
            // reads right rather than with a "?" in the middle of a word.
            QPainterPath outline;
            outline.addText(p, item.font(), text);
            const QPen pen = pen_;
            const QBrush brush = brush_;
            brush_ = QBrush(pen_.color());
            pen_ = QPen(Qt::NoPen);
            drawPath(outline);
            pen_ = pen;
            brush_ = brush;
            return;
        }
        QByteArray bytes = *encoded;
        const int length = int(bytes.size());
        const QPointF at = transform_.map(p);
        put(Record(TextOut).w(length).bytes(bytes).w(qRound(at.y())).w(qRound(at.x())));
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    QByteArray finish(QSize size) {
        put(Record(0x0000));
        QByteArray out;
        auto put16 = [&out](quint16 v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
        auto put32 = [&put16](quint32 v) {
            put16(quint16(v & 0xffff));
            put16(quint16(v >> 16));
        };
        // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
        const quint16 header[10] = {
            0xCDD7,        0x9AC6, 0, 0, 0, quint16(size.width()), quint16(size.height()),
            quint16(kDpi), 0,      0};
        quint16 checksum = 0;
        for (quint16 v : header)
            checksum ^= v;
        for (quint16 v : header)
            put16(v);
        put16(checksum);
        put16(1);       // memory metafile
        put16(9);       // header words
        put16(0x0300);  // version
        put32(quint32(9 + body_.size()));
        put16(quint16(slots_.size()));
        put32(maxRecord_);
        put16(0);
        for (quint16 v : body_)
            put16(v);
        return out;
    }

private:
    static Record withPoints(quint16 function, const QPolygonF& poly) {
        Record r(function);
        r.w(int(poly.size()));
        for (const QPointF& pt : poly)
            r.w(qRound(pt.x())).w(qRound(pt.y()));
        return r;
    }

    void put(const Record& r) {
        const auto size = quint32(3 + r.words().size());
        maxRecord_ = std::max(maxRecord_, size);
        body_.push_back(quint16(size & 0xffff));
        body_.push_back(quint16(size >> 16));
        body_.push_back(r.function());
        body_.insert(body_.end(), r.words().begin(), r.words().end());
    }

    // Objects live in the lowest free slot, as the player assigns them.
    int create(const Record& r) {
        auto free = std::find(slots_.begin(), slots_.end(), false);
        const int slot = int(free - slots_.begin());
        if (free == slots_.end())
            slots_.push_back(true);
        else
            *free = true;
        put(r);
        put(Record(SelectObject).w(slot));
        return slot;
    }
    void replace(std::optional<int>& held, const Record& r) {
        const int slot = create(r);
        if (held) {
            put(Record(DeleteObject).w(*held));
            slots_[std::size_t(*held)] = false;
        }
        held = slot;
    }

    void selectPen() {
        const bool none = pen_.style() == Qt::NoPen;
        const double scale = std::sqrt(std::abs(transform_.determinant()));
        const int width = none ? 0 : std::max(1, qRound(pen_.widthF() * scale));
        const QString key = QStringLiteral("%1/%2/%3").arg(none).arg(width).arg(pen_.color().rgb());
        if (key == penKey_)
            return;
        penKey_ = key;
        replace(penSlot_,
                Record(CreatePen).w(none ? 5 : 0).w(width).w(0).dw(colorRef(pen_.color())));
    }
    void selectBrush() {
        int style = 0;  // solid
        int hatch = 0;
        switch (brush_.style()) {
            case Qt::NoBrush:
                style = 1;
                break;
            case Qt::HorPattern:
                style = 2, hatch = 0;
                break;
            case Qt::VerPattern:
                style = 2, hatch = 1;
                break;
            case Qt::FDiagPattern:  // falling to the right: the format's downward diagonal
                style = 2, hatch = 2;
                break;
            case Qt::BDiagPattern:  // rising to the right: its upward diagonal
                style = 2, hatch = 3;
                break;
            case Qt::CrossPattern:
                style = 2, hatch = 4;
                break;
            case Qt::DiagCrossPattern:
                style = 2, hatch = 5;
                break;
            default:
                break;
        }
        const QString key =
            QStringLiteral("%1/%2/%3").arg(style).arg(hatch).arg(brush_.color().rgb());
        if (key == brushKey_)
            return;
        brushKey_ = key;
        replace(brushSlot_, Record(CreateBrush).w(style).dw(colorRef(brush_.color())).w(hatch));
    }
    void selectFont(const QFont& font) {
        const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDpi / 72.0;
        const int height = -std::max(1, qRound(px * std::abs(transform_.m22())));
        const int weight = font.bold() ? 700 : 400;
        const QString key = QStringLiteral("%1/%2/%3").arg(height).arg(weight).arg(font.italic());
        if (key == fontKey_)
            return;
        fontKey_ = key;
        QByteArray face("Arial");
        face.append('\0');
        Record r(CreateFont);
        r.w(height).w(0).w(0).w(0).w(weight);
        r.w(font.italic() ? 1 : 0);  // italic, underline
        r.w(0);                      // strike-out, ANSI (Windows-1252) character set
        r.w(0);                      // output, clip precision
        r.w(4 | 0x22 << 8);          // antialiased quality; variable pitch, swiss family
        r.bytes(face);
        replace(fontSlot_, r);
    }

    QPen pen_;
    QBrush brush_;
    QFont font_;
    QTransform transform_;
    QPointF brushOrigin_;
    QColor textColor_ = Qt::black;
    QString penKey_, brushKey_, fontKey_;
    std::optional<int> penSlot_, brushSlot_, fontSlot_;
    std::vector<bool> slots_;
    std::vector<quint16> body_;
    quint32 maxRecord_ = 3;
};

class WmfDevice : public QPaintDevice {
public:
    explicit WmfDevice(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    WmfEngine& engine() { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return size_.width();
            case PdmHeight:
                return size_.height();
            case PdmWidthMM:
                return size_.width() * 254 / (kDpi * 10);
            case PdmHeightMM:
                return size_.height() * 254 / (kDpi * 10);
            case PdmNumColors:
                return INT_MAX;
            case PdmDepth:
                return 24;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return kDpi;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    mutable WmfEngine engine_;
};

}  // namespace

namespace WmfWriter {

QByteArray render(QSize size, const std::function<void(QPainter&)>& paint) {
    WmfDevice device(size);
    {
        QPainter painter(&device);
        paint(painter);
    }
    return device.engine().finish(size);
}

bool write(const QString& path, QSize size, const std::function<void(QPainter&)>& paint) {
    const QByteArray data = render(size, paint);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(data) == data.size() && file.commit();
}

}  // namespace WmfWriter
