#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/makepictures/pictures.h"

namespace corvane::pictures {

namespace {
QImage transparentImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Digits are drawn as strokes rather than from a font, so the glyphs do not change with the fonts
// installed on the machine that makes them.
QPainterPath digitStrokes(int n) {
    QPainterPath p;
    switch (n) {
        case 1:
            p.moveTo(5.6, 5.2);
            p.lineTo(8.6, 3.0);
            p.lineTo(8.6, 13.0);
            p.moveTo(5.8, 13.0);
            p.lineTo(11.2, 13.0);
            break;
        case 2:
            p.moveTo(5.0, 5.6);
            p.cubicTo(5.0, 2.4, 11.0, 2.4, 11.0, 5.6);
            p.cubicTo(11.0, 7.8, 8.0, 9.2, 5.0, 13.0);
            p.lineTo(11.2, 13.0);
            break;
        case 3:
            p.moveTo(5.2, 4.2);
            p.cubicTo(6.5, 2.5, 10.8, 2.6, 10.8, 5.3);
            p.cubicTo(10.8, 7.2, 9.0, 7.9, 7.4, 7.9);
            p.cubicTo(9.5, 7.9, 11.2, 8.8, 11.2, 10.5);
            p.cubicTo(11.2, 13.6, 6.3, 13.8, 4.9, 11.8);
            break;
        case 4:
            p.moveTo(9.6, 13.0);
            p.lineTo(9.6, 3.0);
            p.lineTo(4.6, 10.0);
            p.lineTo(11.6, 10.0);
            break;
        case 5:
            p.moveTo(10.8, 3.0);
            p.lineTo(5.9, 3.0);
            p.lineTo(5.5, 7.6);
            p.cubicTo(8.8, 6.2, 11.3, 7.6, 11.2, 10.2);
            p.cubicTo(11.1, 13.6, 6.5, 13.8, 4.9, 12.0);
            break;
        default:
            break;
    }
    return p;
}
}  // namespace

QImage lamp(bool lit, int scale) {
    QImage image = transparentImage(20 * scale);
    QPainter p(&image);
    if (scale != 1) p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF body(1.5, 1.5, 17.0, 17.0);
    QRadialGradient fill(QPointF(8.0, 8.0), 10.0, QPointF(7.0, 6.5));
    if (lit) {
        fill.setColorAt(0.0, QColor(210, 255, 210));
        fill.setColorAt(0.45, QColor(40, 235, 40));
        fill.setColorAt(1.0, QColor(0, 150, 0));
        p.setPen(QPen(QColor(0, 90, 0), 1.0));
    } else {
        fill.setColorAt(0.0, QColor(255, 255, 255));
        fill.setColorAt(0.45, QColor(232, 232, 232));
        fill.setColorAt(1.0, QColor(176, 176, 176));
        p.setPen(QPen(QColor(112, 112, 112), 1.0));
    }
    p.setBrush(fill);
    p.drawEllipse(body);

    // A soft reflection in the upper left makes the lamp read as a rounded lens.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, lit ? 150 : 190));
    p.drawEllipse(QRectF(5.0, 4.0, 5.5, 3.5));
    return image;
}

QImage digit(int n, int scale) {
    QImage image(16 * scale, 16 * scale, QImage::Format_RGB32);
    image.fill(toColor(palette::kDigitBackground));
    QPainter p(&image);
    if (scale != 1) p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(digitStrokes(n));
    return image;
}

QImage hintPicture(int scale) {
    QImage image(32 * scale, 32 * scale, QImage::Format_RGB32);
    image.fill(toColor(palette::kHintKey));
    QPainter p(&image);
    if (scale != 1) p.scale(scale, scale);

    // The panel is drawn crisp, its edges filled as whole pixels: antialiased edges would blend
    // with the key colour and leave a coloured fringe once the key is made transparent.
    p.fillRect(1, 1, 30, 30, QColor(24, 44, 32));
    const QColor light(150, 172, 156);
    const QColor dark(8, 16, 10);
    p.fillRect(1, 1, 30, 1, light);
    p.fillRect(1, 1, 1, 30, light);
    p.fillRect(1, 30, 30, 1, dark);
    p.fillRect(30, 1, 1, 30, dark);

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    constexpr int kLitRow[5] = {1, 3, 0, 4, 2};
    for (int col = 0; col < 5; ++col) {
        for (int row = 0; row < 5; ++row) {
            const QPointF centre(6.5 + 5 * col, 6.5 + 5 * row);
            if (kLitRow[col] == row) {
                QRadialGradient g(centre, 2.4, centre - QPointF(0.7, 0.7));
                g.setColorAt(0.0, QColor(220, 255, 220));
                g.setColorAt(0.6, QColor(0, 255, 0));
                g.setColorAt(1.0, QColor(0, 200, 0));
                p.setBrush(g);
                p.drawEllipse(centre, 2.4, 2.4);
            } else {
                p.setBrush(QColor(30, 88, 48));
                p.drawEllipse(centre, 1.8, 1.8);
            }
        }
    }
    return image;
}

}  // namespace corvane::pictures
