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

QPoint UnitPanel::toPicture(const QMouseEvent* event) const {
    return event->position().toPoint() - insideRect().topLeft();
}

void UnitPanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT pressed(m_tag);
}

void UnitPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = toPicture(event);
    Q_EMIT moved(m_tag, p.x(), p.y(), event->buttons() != Qt::NoButton);
}

void UnitPanel::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = toPicture(event);
    Q_EMIT released(m_tag, p.x(), p.y());
}

}  // namespace corvane
