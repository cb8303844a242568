#include "view/unitmap.h"

#include <QPainter>

namespace corvane {

namespace {
const QColor kConnected(0, 255, 0);
const QColor kOpen(128, 128, 128);

// A circle inside the box from (left, top) to (right, bottom), the right and bottom edges
// excluded, drawn with a 1-pixel pen. On a picture of more device pixels than pixels it is drawn
// smooth, its outline on the same box.
void circle(QPainter& p, int left, int top, int right, int bottom) {
    if (p.testRenderHint(QPainter::Antialiasing))
        p.drawEllipse(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
    else
        p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

// One dot with its shadow, on a transparent ground. At ratio 1, drawn without antialiasing, its
// pixels are either opaque or untouched, so stamping it gives the same pixels as drawing it in place.
QImage Dot(bool connected, const QColor& buttonFace, qreal ratio) {
    QImage dot(QSize(kDotPitch, kDotPitch) * ratio, QImage::Format_ARGB32_Premultiplied);
    dot.setDevicePixelRatio(ratio);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing, ratio != 1.0);
    p.setPen(QPen(buttonFace, 1));
    p.setBrush(buttonFace);
    circle(p, 1, 1, 7, 7);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(connected ? kConnected : kOpen);
    circle(p, 0, 0, 6, 6);
    return dot;
}
}  // namespace

void DrawUnitMap(QImage& picture, const MatrixModel& model, int unit, const QColor& buttonFace) {
    if (unit < 0 || unit >= kUnits || picture.isNull()) return;
    // Every redraw of a unit paints 85 dots; two ellipses each cost more than the copy of a stamp.
    static QColor dotFace;
    static QImage dots[2];
    const qreal ratio = picture.devicePixelRatio();
    if (dots[0].isNull() || dotFace != buttonFace || dots[0].devicePixelRatio() != ratio) {
        dotFace = buttonFace;
        dots[0] = Dot(false, buttonFace, ratio);
        dots[1] = Dot(true, buttonFace, ratio);
    }
    const int rows = model.isReverse() ? kChannels : kChannels + 1;
    const int columns = model.isReverse() ? kLines + 1 : kLines;
    QPainter p(&picture);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j)
            p.drawImage(kDotPitch * j, kDotPitch * i, dots[model.isLit(unit, kWorkMemory, i, j) ? 1 : 0]);
}

}  // namespace corvane
