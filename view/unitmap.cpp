#include "view/unitmap.h"

#include <QPainter>

namespace corvane {

namespace {
const QColor kConnected(0, 255, 0);
const QColor kOpen(128, 128, 128);

// A circle inside the box from (left, top) to (right, bottom), the right and bottom edges
// excluded, drawn with a 1-pixel pen.
void circle(QPainter& p, int left, int top, int right, int bottom) {
    p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

// One dot with its shadow, on a transparent ground. Drawn without antialiasing, its pixels are
// either opaque or untouched, so stamping it gives the same pixels as drawing it in place.
QImage Dot(bool connected, const QColor& buttonFace) {
    QImage dot(kDotPitch, kDotPitch, QImage::Format_ARGB32_Premultiplied);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(buttonFace, 1));
    p.setBrush(buttonFace);
    circle(p, 1, 1, 7, 7);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(connected ? kConnected : kOpen);
    circle(p, 0, 0, 6, 6);
    return dot;
}
}  // namespace

bool DotConnected(const MatrixState& state, int unit, int row, int column) {
    if (unit < 0 || unit >= kUnits) return false;
    if (state.ReverseMode)
        return row >= 0 && row < kChannels && state.ChannelRoute[unit][kWorkMemory][row] == column;
    return column >= 0 && column < kLines && state.LineRoute[unit][kWorkMemory][column] == row;
}

void DrawUnitMap(QImage& picture, const MatrixState& state, int unit, const QColor& buttonFace) {
    if (unit < 0 || unit >= kUnits || picture.isNull()) return;
    // Every redraw of a unit paints 85 dots; two ellipses each cost more than the copy of a stamp.
    static QColor dotFace;
    static QImage dots[2];
    if (dots[0].isNull() || dotFace != buttonFace) {
        dotFace = buttonFace;
        dots[0] = Dot(false, buttonFace);
        dots[1] = Dot(true, buttonFace);
    }
    const int rows = state.ReverseMode ? kChannels : kChannels + 1;
    const int columns = state.ReverseMode ? kLines + 1 : kLines;
    QPainter p(&picture);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j)
            p.drawImage(kDotPitch * j, kDotPitch * i, dots[DotConnected(state, unit, i, j) ? 1 : 0]);
}

}  // namespace corvane
