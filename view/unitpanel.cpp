#include "view/unitpanel.h"

#include <QMouseEvent>

namespace corvane {

UnitPanel::UnitPanel(int tag, QWidget* parent) : BevelPanel(parent), m_tag(tag) {}

void UnitPanel::setPicture(const QImage& picture) {
    m_picture = picture;
    setBackground(QPixmap::fromImage(m_picture));
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
