#include <QPainter>
#include <QPolygonF>

#include "tools/makepictures/pictures.h"

namespace corvane::pictures {

namespace {
// Command pictures are drawn on half-pixel coordinates so one-pixel outlines stay sharp.
QImage commandCanvas(int scale) {
    QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
}  // namespace

QImage openCommand(int scale) {
    QImage image = commandCanvas(scale);
    QPainter p(&image);
    if (scale != 1) p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(120, 84, 20), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(outline);

    p.setBrush(QColor(214, 170, 60));
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {6.0, 3.5}, {7.5, 5.0}, {13.5, 5.0}, {13.5, 13.5}, {1.5, 13.5}}));

    // The front cover swings down toward the viewer.
    p.setBrush(QColor(250, 216, 112));
    p.drawPolygon(QPolygonF({{4.0, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
    return image;
}

QImage saveCommand(int scale) {
    QImage image = commandCanvas(scale);
    QPainter p(&image);
    if (scale != 1) p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(QColor(20, 40, 96), 1.0));
    p.setBrush(QColor(44, 88, 170));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13.0, 13.0), 1.5, 1.5);

    p.setPen(QPen(QColor(90, 96, 110), 1.0));
    p.setBrush(QColor(204, 208, 214));
    p.drawRect(QRectF(4.5, 1.5, 7.0, 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 72));
    p.drawRect(QRectF(9.0, 2.5, 1.5, 2.5));

    p.setPen(QPen(QColor(20, 40, 96), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 8.5, 9.0, 6.0));
    p.setPen(QPen(QColor(150, 156, 170), 1.0));
    p.drawLine(QPointF(5.0, 10.5), QPointF(11.0, 10.5));
    p.drawLine(QPointF(5.0, 12.5), QPointF(11.0, 12.5));
    return image;
}

QImage exitCommand(int scale) {
    QImage image = commandCanvas(scale);
    QPainter p(&image);
    if (scale != 1) p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);

    // An open door: the dark doorway with the leaf swung toward the viewer on its left hinge.
    p.setPen(QPen(QColor(96, 64, 32), 1.0));
    p.setBrush(QColor(36, 28, 24));
    p.drawRect(QRectF(4.5, 1.5, 9.0, 13.0));

    p.setPen(QPen(QColor(90, 48, 16), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(176, 108, 50));
    p.drawPolygon(QPolygonF({{4.5, 1.5}, {9.5, 3.0}, {9.5, 15.0}, {4.5, 14.5}}));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 212, 64));
    p.drawEllipse(QPointF(8.2, 9.0), 0.9, 0.9);
    return image;
}

}  // namespace corvane::pictures
