#include "view/unitpanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace corvane {

UnitPanel::UnitPanel(int tag, QWidget* parent) : BevelPanel(parent), m_tag(tag) {}

void UnitPanel::setPicture(const QImage& picture) {
    m_picture = picture;
    setBackground(m_picture);
}

void UnitPanel::paintEvent(QPaintEvent* event) {
    BevelPanel::paintEvent(event);
    if (!hasFocus()) return;
    // Inverted dots stay visible on either picture and on the dot map.
    QPainter p(this);
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(insideRect().adjusted(1, 1, -2, -2));
}

void UnitPanel::activate() {
    if (!m_selected) Q_EMIT clicked(m_tag);
}

QPoint UnitPanel::toPicture(const QMouseEvent* event) const {
    return event->position().toPoint() - insideRect().topLeft();
}

bool UnitPanel::insidePicture(QPoint p) const {
    // Only the right and bottom edges count: left of or above the picture is still inside.
    return p.x() <= pictureWidth() && p.y() <= pictureHeight();
}

void UnitPanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    // The selected unit's panel is already down and takes no click.
    if (!m_selected) {
        setBevel(Bevel::Lowered);
        m_pressed = true;
    }
    Q_EMIT pressed(m_tag);
}

void UnitPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = toPicture(event);
    const bool held = event->buttons() != Qt::NoButton;
    if (m_pressed && held) setBevel(insidePicture(p) ? Bevel::Lowered : Bevel::Raised);
    Q_EMIT moved(m_tag, p.x(), p.y(), held);
}

void UnitPanel::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = toPicture(event);
    m_pressed = false;
    Q_EMIT released(m_tag, p.x(), p.y());
    if (!m_selected && insidePicture(p)) Q_EMIT clicked(m_tag);
}

}  // namespace corvane
