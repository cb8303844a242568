#include <QPainter>

#include "tools/makepictures/pictures.h"

namespace corvane::pictures {

// The same shapes as resources/corvane.svg, on its 64 x 64 view box: a rounded tile crossed by
// three line bars and three channel bars, one lit crosspoint in every column.
QImage applicationIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(QPen(QColor(0x0f, 0x33, 0x2e), 2.0));
    p.setBrush(QColor(0x1f, 0x5e, 0x57));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 11, 11);

    p.setPen(QPen(QColor(0x9f, 0xc5, 0xbf), 4.0, Qt::SolidLine, Qt::RoundCap));
    for (int k : {18, 32, 46}) {
        p.drawLine(QPointF(11, k), QPointF(53, k));
        p.drawLine(QPointF(k, 11), QPointF(k, 53));
    }

    constexpr int kBars[3] = {18, 32, 46};
    constexpr int kLitRow[3] = {1, 0, 2};
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            const QPointF centre(kBars[col], kBars[row]);
            if (kLitRow[col] == row) {
                p.setPen(QPen(QColor(0x0a, 0x3a, 0x10), 2.0));
                p.setBrush(QColor(0x00, 0xff, 0x00));
                p.drawEllipse(centre, 7.0, 7.0);
            } else {
                p.setPen(QPen(QColor(0xe4, 0xee, 0xec), 2.0));
                p.setBrush(QColor(0x1f, 0x5e, 0x57));
                p.drawEllipse(centre, 3.5, 3.5);
            }
        }
    }
    return image;
}

}  // namespace corvane::pictures
