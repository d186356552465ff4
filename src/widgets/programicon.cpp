#include "programicon.h"

#include <QPainter>
#include <QPainterPath>

QImage drawProgramImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    // Case: a rounded tower, dark walnut.
    QPainterPath body;
    body.addRoundedRect(QRectF(s * 0.18, s * 0.03, s * 0.64, s * 0.94), s * 0.12, s * 0.12);
    p.fillPath(body, QColor(0x6b, 0x3e, 0x1f));

    // Face.
    const QPointF centre(s * 0.5, s * 0.33);
    const qreal radius = s * 0.25;
    p.setPen(QPen(QColor(0x30, 0x20, 0x10), qMax(1.0, s / 24)));
    p.setBrush(QColor(0xfa, 0xf4, 0xe4));
    p.drawEllipse(centre, radius, radius);

    // Hands at ten past two.
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), qMax(1.0, s / 16), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(radius * 0.55, -radius * 0.25));
    p.drawLine(centre, centre + QPointF(radius * 0.2, -radius * 0.8));

    // Pendulum, swung a little to the right.
    const QPointF pivot(s * 0.5, s * 0.6);
    const QPointF bob(s * 0.58, s * 0.82);
    p.setPen(QPen(QColor(0xe8, 0xc2, 0x4a), qMax(1.0, s / 20)));
    p.drawLine(pivot, bob);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xc9, 0x4c));
    p.drawEllipse(bob, s * 0.09, s * 0.09);
    p.end();
    return image;
}

QPixmap drawProgramIcon(int size)
{
    return QPixmap::fromImage(drawProgramImage(size));
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32})
        icon.addPixmap(drawProgramIcon(size));
    return icon;
}
