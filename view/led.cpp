#include "view/led.h"

#include <QPainter>

namespace corvane {

Led::Led(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void Led::setLit(bool lit) {
    if (m_lit == lit) return;
    m_lit = lit;
    update();
    updateAccessibleName();
}

void Led::setLampName(const QString& name) {
    m_lampName = name;
    updateAccessibleName();
}

void Led::updateAccessibleName() {
    // Setting the name announces the change to assistive technology.
    if (!m_lampName.isEmpty())
        setAccessibleName(m_lampName + (m_lit ? QStringLiteral(", lit") : QStringLiteral(", dark")));
}

void Led::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_lit ? QColor(0, 255, 0) : QColor(255, 255, 255));
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace corvane
