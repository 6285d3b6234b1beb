#include "game/ui/CardPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal kS = CardPictures::kSize;
const QPointF kCentre(kS / 2, kS / 2);

// The table the cards lie on; every picture is opaque, so a plain copy draws it whole.
const QColor kFelt(30, 110, 60);

QPixmap canvas() {
    QPixmap pm(CardPictures::kSize, CardPictures::kSize);
    pm.fill(kFelt);
    return pm;
}

// The light card every face is drawn on.
void faceCard(QPainter& p) {
    p.setPen(QPen(QColor(150, 140, 120), 1));
    p.setBrush(QColor(253, 249, 236));
    p.drawRoundedRect(QRectF(0.5, 0.5, kS - 1, kS - 1), 3, 3);
}

QPainterPath polygon(int corners, qreal radius, qreal turnDegrees = -90, qreal inner = 0) {
    QPainterPath path;
    const int points = inner > 0 ? corners * 2 : corners;
    for (int i = 0; i < points; ++i) {
        const qreal r = (inner > 0 && i % 2 == 1) ? inner : radius;
        const qreal a = qDegreesToRadians(turnDegrees + 360.0 * i / points);
        const QPointF pt = kCentre + QPointF(r * qCos(a), r * qSin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

void fill(QPainter& p, const QPainterPath& path, const QColor& colour) {
    p.setPen(QPen(colour.darker(150), 1.2));
    p.setBrush(colour);
    p.drawPath(path);
}

QPainterPath heart() {
    QPainterPath path;
    path.moveTo(16, 26);
    path.cubicTo(3, 17, 6, 6, 12, 7);
    path.cubicTo(14.5, 7.3, 16, 9.5, 16, 11);
    path.cubicTo(16, 9.5, 17.5, 7.3, 20, 7);
    path.cubicTo(26, 6, 29, 17, 16, 26);
    return path;
}

QPainterPath crescent() {
    QPainterPath moon;
    moon.addEllipse(kCentre, 11, 11);
    QPainterPath bite;
    bite.addEllipse(kCentre + QPointF(6, -4), 9.5, 9.5);
    return moon.subtracted(bite);
}

QPainterPath ring() {
    QPainterPath outer;
    outer.addEllipse(kCentre, 11, 11);
    QPainterPath inner;
    inner.addEllipse(kCentre, 5.5, 5.5);
    return outer.subtracted(inner);
}

QPainterPath plus() {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);  // the two bars overlap without a hole
    path.addRect(QRectF(12.5, 5, 7, 22));
    path.addRect(QRectF(5, 12.5, 22, 7));
    return path.simplified();
}

QPainterPath cross() {
    QTransform turn;
    turn.translate(16, 16);
    turn.rotate(45);
    turn.translate(-16, -16);
    return turn.map(plus());
}

QPainterPath bolt() {
    QPainterPath path;
    path.moveTo(19, 4);
    path.lineTo(8, 18);
    path.lineTo(15, 18);
    path.lineTo(12, 28);
    path.lineTo(24, 13);
    path.lineTo(17, 13);
    path.closeSubpath();
    return path;
}

QPainterPath arrow() {
    QPainterPath path;
    path.moveTo(16, 4);
    path.lineTo(27, 16);
    path.lineTo(20, 16);
    path.lineTo(20, 28);
    path.lineTo(12, 28);
    path.lineTo(12, 16);
    path.lineTo(5, 16);
    path.closeSubpath();
    return path;
}

QPainterPath drop() {
    QPainterPath path;
    path.moveTo(16, 4);
    path.cubicTo(20, 11, 25, 15, 25, 20);
    path.arcTo(QRectF(7, 11, 18, 18), 0, -180);
    path.cubicTo(7, 15, 12, 11, 16, 4);
    return path;
}

QPainterPath leaf() {
    QPainterPath path;
    path.moveTo(6, 26);
    path.cubicTo(6, 12, 14, 5, 27, 5);
    path.cubicTo(27, 18, 20, 26, 6, 26);
    return path;
}

QPainterPath house() {
    QPainterPath path;
    path.moveTo(16, 4);
    path.lineTo(28, 15);
    path.lineTo(24, 15);
    path.lineTo(24, 27);
    path.lineTo(8, 27);
    path.lineTo(8, 15);
    path.lineTo(4, 15);
    path.closeSubpath();
    QPainterPath door;
    door.addRect(QRectF(14, 19, 5, 8));
    return path.subtracted(door);
}

QPainterPath tree() {
    QPainterPath path;
    for (int i = 0; i < 3; ++i) {
        QPainterPath tier;
        const qreal top = 3 + i * 6;
        const qreal half = 6 + i * 3;
        tier.moveTo(16, top);
        tier.lineTo(16 + half, top + 10);
        tier.lineTo(16 - half, top + 10);
        tier.closeSubpath();
        path = path.united(tier);
    }
    path.setFillRule(Qt::WindingFill);
    path.addRect(QRectF(14, 23, 4, 6));
    return path.simplified();
}

QPainterPath mushroom() {
    QPainterPath cap;
    cap.moveTo(4, 18);
    cap.arcTo(QRectF(4, 5, 24, 26), 180, -180);
    cap.closeSubpath();
    QPainterPath stem;
    stem.addRoundedRect(QRectF(12, 17, 8, 11), 2, 2);
    return cap.united(stem);
}

QPainterPath note() {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addEllipse(QPointF(11, 24), 5, 4);
    path.addRect(QRectF(14, 6, 2.5, 18));
    QPainterPath flag;
    flag.moveTo(14, 6);
    flag.cubicTo(20, 8, 24, 11, 24, 17);
    flag.cubicTo(22, 13, 19, 12, 16.5, 12);
    flag.closeSubpath();
    return path.united(flag).simplified();
}

QPainterPath sixStar() {
    return polygon(3, 12).united(polygon(3, 12, 90));
}

void sun(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(130), 2.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = qDegreesToRadians(45.0 * i);
        p.drawLine(kCentre + QPointF(9 * qCos(a), 9 * qSin(a)),
                   kCentre + QPointF(13 * qCos(a), 13 * qSin(a)));
    }
    QPainterPath disc;
    disc.addEllipse(kCentre, 6.5, 6.5);
    fill(p, disc, colour);
}

void flower(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    for (int i = 0; i < 6; ++i) {
        const qreal a = qDegreesToRadians(60.0 * i);
        p.drawEllipse(kCentre + QPointF(7 * qCos(a), 7 * qSin(a)), 5, 5);
    }
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(kCentre, 4, 4);
}

void dots(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (QPointF at : {QPointF(9, 9), QPointF(16, 16), QPointF(23, 23)})
        p.drawEllipse(at, 3.6, 3.6);
    p.setPen(QPen(colour, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 4, 4);
}

void smiley(QPainter& p, const QColor& colour) {
    QPainterPath face;
    face.addEllipse(kCentre, 11.5, 11.5);
    fill(p, face, colour);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(12, 13), 1.8, 2.3);
    p.drawEllipse(QPointF(20, 13), 1.8, 2.3);
    p.setPen(QPen(QColor(40, 40, 40), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 12, 12, 10), -20 * 16, -140 * 16);
}

void chequers(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour.darker(140), 1));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            p.setBrush((r + c) % 2 == 0 ? colour : QColor(255, 255, 255));
            p.drawRect(QRectF(5 + c * 7.4, 5 + r * 7.4, 7.4, 7.4));
        }
}

}  // namespace

namespace CardPictures {

QPixmap face(int index) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    faceCard(p);
    // The nine of the smallest board come first: the most distinct shapes and colours.
    switch (index) {
        case 0: {
            QPainterPath disc;
            disc.addEllipse(kCentre, 11, 11);
            fill(p, disc, QColor(220, 40, 40));
            break;
        }
        case 1: {
            QPainterPath square;
            square.addRect(QRectF(6, 6, 20, 20));
            fill(p, square, QColor(40, 90, 210));
            break;
        }
        case 2:
            fill(p, polygon(3, 13, -90).translated(0, 2), QColor(40, 170, 60));
            break;
        case 3:
            fill(p, polygon(5, 13, -90, 5.5).translated(0, 1), QColor(245, 190, 20));
            break;
        case 4:
            fill(p, heart(), QColor(235, 80, 150));
            break;
        case 5:
            fill(p, polygon(4, 13), QColor(140, 60, 190));
            break;
        case 6:
            fill(p, plus(), QColor(20, 160, 160));
            break;
        case 7:
            fill(p, crescent(), QColor(30, 50, 120));
            break;
        case 8:
            fill(p, ring(), QColor(245, 120, 20));
            break;
        case 9:
            fill(p, polygon(6, 12, 0), QColor(140, 90, 45));
            break;
        case 10:
            fill(p, bolt(), QColor(250, 215, 0));
            break;
        case 11:
            fill(p, arrow(), QColor(0, 180, 230));
            break;
        case 12:
            fill(p, cross(), QColor(150, 20, 30));
            break;
        case 13:
            sun(p, QColor(255, 150, 0));
            break;
        case 14:
            fill(p, drop(), QColor(70, 150, 240));
            break;
        case 15:
            fill(p, leaf(), QColor(30, 120, 40));
            break;
        case 16:
            flower(p, QColor(200, 120, 230));
            break;
        case 17:
            fill(p, house(), QColor(190, 70, 40));
            break;
        case 18:
            dots(p, QColor(30, 30, 30));
            break;
        case 19:
            smiley(p, QColor(255, 225, 60));
            break;
        case 20:
            chequers(p, QColor(90, 90, 100));
            break;
        case 21:
            fill(p, tree(), QColor(20, 100, 70));
            break;
        case 22:
            fill(p, mushroom(), QColor(230, 50, 60));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            for (QPointF at : {QPointF(11, 11), QPointF(19, 9), QPointF(22, 15)})
                p.drawEllipse(at, 2, 2);
            break;
        case 23:
            fill(p, note(), QColor(110, 40, 160));
            break;
        default:
            fill(p, sixStar(), QColor(0, 130, 200));
            break;
    }
    return pm;
}

QPixmap back() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 40, 110), 1));
    p.setBrush(QColor(45, 80, 170));
    p.drawRoundedRect(QRectF(0.5, 0.5, kS - 1, kS - 1), 3, 3);
    // A lattice inside a white frame.
    p.setClipRect(QRectF(4, 4, kS - 8, kS - 8));
    p.setPen(QPen(QColor(120, 160, 235), 1));
    for (int d = -32; d <= 32; d += 6) {
        p.drawLine(QPointF(d, 0), QPointF(d + 32, 32));
        p.drawLine(QPointF(d + 32, 0), QPointF(d, 32));
    }
    p.setClipping(false);
    p.setPen(QPen(QColor(235, 240, 255), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 3.5, kS - 7, kS - 7), 2, 2);
    return pm;
}

QPixmap blank() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setPen(QPen(kFelt.darker(125), 1, Qt::DotLine));
    p.drawRect(QRect(2, 2, kSize - 5, kSize - 5));
    return pm;
}

}  // namespace CardPictures
