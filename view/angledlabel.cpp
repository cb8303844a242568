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
    captionOrFontChanged();
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

void AngledLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) captionOrFontChanged();
    QWidget::changeEvent(event);
}

void AngledLabel::captionOrFontChanged() {
    m_laidOut = false;
    update();
}

void AngledLabel::layOutCaption() {
    m_layout.setText(m_caption);
    m_layout.setFont(font());
    m_layout.setTextOption(QTextOption(Qt::AlignLeft));  // one line, never wrapped
    m_layout.setCacheEnabled(true);                      // keep the shaped glyphs after endLayout()
    m_layout.beginLayout();
    QTextLine line = m_layout.createLine();
    m_layout.endLayout();
    // Drawn at (0, ascent) the baseline lies where drawText() would put it: at the font's
    // rounded ascent below the origin.
    if (line.isValid()) line.setPosition(QPointF(0, -line.ascent()));
    m_ascent = fontMetrics().ascent();
    m_laidOut = true;
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
        m_layout.draw(&p, QPointF(0, m_ascent));
        p.restore();
    };
    if (!m_centred && !m_laidOut) layOutCaption();
    if (m_shadowed) draw(QPoint(2, 1), palette().color(QPalette::Dark));
    draw(QPoint(0, 0), m_color);
}

}  // namespace corvane
