#include "view/bevelpanel.h"

#include <QPainter>

#include <algorithm>

namespace corvane {

namespace {

// Copies of the picture side by side and row under row, the last ones cut to the area. Plain
// copies are what the raster engine does fastest; its own tiled fill would start worker threads
// for an area this large.
void DrawSideBySide(QPainter& p, const QRect& area, const QPixmap& picture) {
    for (int y = area.top(); y <= area.bottom(); y += picture.height())
        for (int x = area.left(); x <= area.right(); x += picture.width()) {
            const QSize piece(std::min(picture.width(), area.right() + 1 - x),
                              std::min(picture.height(), area.bottom() + 1 - y));
            p.drawPixmap(QPoint(x, y), picture, QRect(QPoint(0, 0), piece));
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

void BevelPanel::setBackground(const QPixmap& picture, bool coverBevel) {
    m_background = picture;
    m_backgroundImage = QImage();
    m_coverBevel = coverBevel;
    update();
}

void BevelPanel::setBackground(const QImage& picture, bool coverBevel) {
    m_background = QPixmap();
    m_backgroundImage = picture;
    m_coverBevel = coverBevel;
    update();
}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect inside = insideRect();
    p.fillRect(rect(), palette().color(QPalette::Button));
    if (!m_background.isNull()) DrawSideBySide(p, m_coverBevel ? rect() : inside, m_background);
    if (!m_backgroundImage.isNull()) p.drawImage(m_coverBevel ? rect() : inside, m_backgroundImage);
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
