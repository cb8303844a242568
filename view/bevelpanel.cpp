#include "view/bevelpanel.h"

#include <QPaintEvent>
#include <QPainter>

namespace corvane {

namespace {

// Whole copies of the picture side by side and row under row, clipped to the area. A whole
// picture at a point is a plain copy, which the raster engine does fastest and on this thread;
// its tiled fill, or a part of a picture, goes through blending it spreads over worker threads
// for an area this large.
void DrawSideBySide(QPainter& p, const QRect& area, const QPixmap& picture) {
    p.save();
    p.setClipRect(area, Qt::IntersectClip);
    for (int y = area.top(); y <= area.bottom(); y += picture.height())
        for (int x = area.left(); x <= area.right(); x += picture.width())
            p.drawPixmap(QPoint(x, y), picture);
    p.restore();
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

void BevelPanel::paintEvent(QPaintEvent* event) {
    // One rectangle of the region at a time: under a clip of one rectangle the raster engine copies
    // and fills in place, where under a clip of several it blends line by line and hands tall areas
    // to worker threads, whose pool outlives the window.
    QPainter p(this);
    for (const QRect& part : event->region()) {
        p.setClipRect(part);
        paintPart(p);
    }
}

void BevelPanel::paintPart(QPainter& p) {
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
