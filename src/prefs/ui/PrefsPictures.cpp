#include "prefs/ui/PrefsPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 64;

QPixmap canvas() {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    return pm;
}

// A card-index drawer with a label and a handle; the cards stick out of the top.
QPixmap drawer(const QColor& body, const QColor& cards, const QColor& label) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(cards.darker(160), 1.5));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(i == 1 ? cards.lighter(115) : cards);
        p.drawRoundedRect(QRectF(12 + i * 3, 8 + i * 4, 40 - i * 6, 24), 2, 2);
    }
    p.setPen(QPen(body.darker(170), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(6, 24, 52, 34), 4, 4);
    p.setBrush(label);
    p.setPen(QPen(label.darker(150), 1.5));
    p.drawRect(QRectF(22, 31, 20, 10));
    p.setBrush(body.darker(140));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(24, 46, 16, 5), 2, 2);
    return pm;
}

QPixmap lock(bool open) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor metal(150, 150, 160);
    p.setPen(QPen(metal.darker(150), 7, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    const qreal lift = open ? 10 : 0;
    shackle.moveTo(20, 30 - lift);
    shackle.arcTo(QRectF(20, 8 - lift, 24, 24), 180, -180);
    shackle.lineTo(44, open ? 22 : 30);
    p.drawPath(shackle);
    const QColor body = open ? QColor(60, 160, 70) : QColor(200, 150, 30);
    p.setPen(QPen(body.darker(160), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(12, 28, 40, 30), 4, 4);
    p.setBrush(body.darker(200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(32, 40), 4, 4);
    p.drawRect(QRectF(30.5, 40, 3, 10));
    return pm;
}

}  // namespace

namespace PrefsPictures {

QPixmap programIcon() {
    return drawer(QColor(70, 110, 170), QColor(250, 245, 225), QColor(255, 255, 255));
}
QPixmap blinkA() {
    return drawer(QColor(70, 110, 170), QColor(250, 245, 225), QColor(255, 220, 80));
}
QPixmap blinkB() {
    return drawer(QColor(170, 70, 60), QColor(250, 245, 225), QColor(255, 255, 255));
}
QPixmap lockClosed() {
    return lock(false);
}
QPixmap lockOpen() {
    return lock(true);
}

}  // namespace PrefsPictures
