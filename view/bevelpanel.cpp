#include "view/bevelpanel.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

QRgb RowColour(const QImage& column, int row) {
    return reinterpret_cast<const QRgb*>(column.constScanLine(row % column.height()))[0];
}

// Each row of `area` in its colour from `column`, whose first row is the row `top` of the panel
// and which repeats downwards. A one-colour row is a plain fill, which the raster engine does in
// place; a picture tiled or cut to the area would go through blending, which it spreads over
// worker threads for an area this large.
void FillRows(QPainter& p, const QRect& area, int top, const QImage& column) {
    const qreal ratio = p.device()->devicePixelRatio();
    if (ratio <= 1.0) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            p.fillRect(QRect(area.left(), y, area.width(), 1), QColor(RowColour(column, y - top)));
        return;
    }
    // With more device rows than rows, each device row takes the colour between the two rows
    // nearest its middle, so that the gradient runs on in steps of its own rather than in pairs.
    for (int d = qFloor(area.top() * ratio); d < qCeil((area.bottom() + 1) * ratio); ++d) {
        const qreal y = std::max((d + 0.5) / ratio - 0.5 - top, 0.0);
        const int row = qFloor(y) % column.height();
        const QRgb a = RowColour(column, row);
        const QRgb b = row + 1 < column.height() ? RowColour(column, row + 1) : a;
        const qreal f = y - qFloor(y);
        const auto mix = [f](int from, int to) { return qRound(from + (to - from) * f); };
        const QColor colour(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
        p.fillRect(QRectF(area.left(), d / ratio, area.width(), 1 / ratio), colour);
    }
}

}  // namespace

BevelPanel::BevelPanel(QWidget* parent) : QWidget(parent) {}

void BevelPanel::setBevel(Bevel bevel) {
    if (m_bevel == bevel) return;
    m_bevel = bevel;
    update();
}

void BevelPanel::setBevelWidth(int width) {
    if (m_bevelWidth == width) return;
    m_bevelWidth = width;
    update();
}

void BevelPanel::setBackground(const QImage& picture, bool coverBevel) {
    m_backgroundImage = picture;
    m_rowColours = QImage();
    m_coverBevel = coverBevel;
    update();
}

void BevelPanel::setRowColours(const QImage& column, bool coverBevel) {
    m_backgroundImage = QImage();
    m_rowColours = column.isNull() ? QImage() : column.convertToFormat(QImage::Format_RGB32);
    m_coverBevel = coverBevel;
    update();
}

void BevelPanel::paintEvent(QPaintEvent* event) {
    // One rectangle of the region at a time: under a clip of one rectangle the raster engine copies
    // and fills in place, where under a clip of several it blends line by line and hands tall areas
    // to worker threads, whose pool outlives the window.
    QPainter p(this);
    for (const QRect& part : event->region()) {
        p.setClipRect(part);
        paintPart(p, part);
    }
}

void BevelPanel::paintPart(QPainter& p, const QRect& part) {
    const QRect covered = m_coverBevel ? rect() : insideRect();
    p.fillRect(rect(), palette().color(QPalette::Button));
    if (!m_rowColours.isNull()) FillRows(p, covered & part, covered.top(), m_rowColours);
    if (!m_backgroundImage.isNull()) p.drawImage(covered, m_backgroundImage);
    if (m_bevel == Bevel::None) return;

    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor topLeft = m_bevel == Bevel::Raised ? light : dark;
    const QColor bottomRight = m_bevel == Bevel::Raised ? dark : light;
    // Each ring is four one-pixel lines, filled as rectangles (far cheaper than stroked lines);
    // right() and bottom() are already the panel's last column and row, and the bottom and right
    // lines are drawn last, over the corners they share with the top and left ones.
    for (int i = 0; i < m_bevelWidth; ++i) {
        const QRect r = rect().adjusted(i, i, -i, -i);
        p.fillRect(QRect(r.topLeft(), r.topRight()), topLeft);
        p.fillRect(QRect(r.topLeft(), r.bottomLeft()), topLeft);
        p.fillRect(QRect(r.bottomLeft(), r.bottomRight()), bottomRight);
        p.fillRect(QRect(r.topRight(), r.bottomRight()), bottomRight);
    }
}

}  // namespace corvane
