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
}  // namespace

bool DotConnected(const MatrixState& state, int unit, int row, int column) {
    if (unit < 0 || unit >= kUnits) return false;
    if (state.ReverseMode)
        return row >= 0 && row < kChannels && state.ChannelRoute[unit][kWorkMemory][row] == column;
    return column >= 0 && column < kLines && state.LineRoute[unit][kWorkMemory][column] == row;
}

void DrawUnitMap(QImage& picture, const MatrixState& state, int unit, const QColor& buttonFace) {
    if (unit < 0 || unit >= kUnits || picture.isNull()) return;
    const int rows = state.ReverseMode ? kChannels : kChannels + 1;
    const int columns = state.ReverseMode ? kLines + 1 : kLines;
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const int x = kDotPitch * j;
            const int y = kDotPitch * i;
            p.setPen(QPen(buttonFace, 1));
            p.setBrush(buttonFace);
            circle(p, x + 1, y + 1, x + 7, y + 7);
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(DotConnected(state, unit, i, j) ? kConnected : kOpen);
            circle(p, x, y, x + 6, y + 6);
        }
    }
}

}  // namespace corvane
