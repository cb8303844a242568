#include "view/angledlabel.h"

#include <QPainter>

namespace corvane {

AngledLabel::AngledLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
}

void AngledLabel::setCaption(const QString& caption) {
    if (m_caption == caption) return;
    m_caption = caption;
    update();
}

void AngledLabel::setAngle(int degrees) {
    if (m_angle == degrees) return;
    m_angle = degrees;
    update();
}

void AngledLabel::setOrigin(QPoint origin) {
    if (m_origin == origin) return;
    m_origin = origin;
    update();
}

void AngledLabel::setColor(const QColor& color) {
    if (m_color == color) return;
    m_color = color;
    update();
}

void AngledLabel::setShadowed(bool shadowed) {
    if (m_shadowed == shadowed) return;
    m_shadowed = shadowed;
    update();
}

void AngledLabel::setCentred(bool centred) {
    if (m_centred == centred) return;
    m_centred = centred;
    update();
}

void AngledLabel::setLabelFont(const QFont& font) {
    setFont(font);
    update();
}

void AngledLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font());
    const auto draw = [&](QPoint offset, const QColor& color) {
        p.setPen(color);
        if (m_centred) {
            p.drawText(rect().translated(offset), Qt::AlignCenter, m_caption);
            return;
        }
        p.save();
        p.translate(m_origin + offset);
        p.rotate(-m_angle);  // counter-clockwise on screen
        p.drawText(QPoint(0, p.fontMetrics().ascent()), m_caption);
        p.restore();
    };
    if (m_shadowed) draw(QPoint(2, 1), palette().color(QPalette::Dark));
    draw(QPoint(0, 0), m_color);
}

}  // namespace corvane
