#include "res/AppIcon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace res {

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The mast.
    p.setBrush(Qt::white);
    QPainterPath mast;
    mast.moveTo(32, 26);
    mast.lineTo(42, 56);
    mast.lineTo(22, 56);
    mast.closeSubpath();
    p.drawPath(mast);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRect(QRectF(28, 44, 8, 12));
    p.setBrush(QColor(0xff, 0xc8, 0x3d));
    p.drawEllipse(QPointF(32, 24), 5, 5);

    // The waves.
    QPen wave(QColor(0xff, 0xc8, 0x3d), 4, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    for (int r : {12, 21}) {
        const QRectF box(32 - r, 24 - r, 2 * r, 2 * r);
        p.drawArc(box, 30 * 16, 120 * 16);
    }
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}

}  // namespace res
