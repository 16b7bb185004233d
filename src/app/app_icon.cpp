#include "app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kmission {

namespace {

// A map tile seen from above (water, land, a road) with a unit marker and the
// two axes of the map view.
QPixmap PaintIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(QPen(QColor(40, 48, 56), 2));
    p.setBrush(QColor(70, 130, 190));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 8, 8);

    QPainterPath land;
    land.moveTo(3, 30);
    land.cubicTo(18, 18, 30, 40, 61, 22);
    land.lineTo(61, 53);
    land.quadTo(61, 61, 53, 61);
    land.lineTo(11, 61);
    land.quadTo(3, 61, 3, 53);
    land.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(118, 160, 84));
    p.drawPath(land);

    p.setPen(QPen(QColor(196, 170, 120), 3));
    p.drawLine(QPointF(12, 58), QPointF(50, 30));

    p.setPen(QPen(QColor(0, 0, 255), 2));
    p.drawLine(QPointF(32, 6), QPointF(32, 58));
    p.drawLine(QPointF(6, 32), QPointF(58, 32));

    p.setPen(QPen(QColor(255, 0, 255), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(38, 38, 12, 12));
    return pixmap;
}

} // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(PaintIcon(size));
    }
    return icon;
}

} // namespace kmission
