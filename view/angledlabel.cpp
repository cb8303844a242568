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
    setAccessibleName(caption);
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
    QTextOption option(Qt::AlignLeft);  // one line, never wrapped, aligned by the paint
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    m_layout.setTextOption(option);
    m_layout.setCacheEnabled(true);  // keep the shaped glyphs after endLayout()
    m_layout.beginLayout();
    m_layout.createLine();
    m_layout.endLayout();
    m_ascent = fontMetrics().ascent();
    m_laidOut = true;
}

void AngledLabel::paintEvent(QPaintEvent*) {
    if (!m_laidOut) layOutCaption();
    if (m_layout.lineCount() == 0) return;
    const QTextLine line = m_layout.lineAt(0);
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The caption is placed where drawText() puts it: centred in the label, clipped to the
    // label's rectangle (moved with the shadow) when it does not fit; or with its baseline at the
    // font's rounded ascent below the origin.
    const QSizeF size(line.horizontalAdvance(), line.ascent() + line.descent());
    const QPointF centred((width() - size.width()) / 2, (height() - size.height()) / 2);
    const bool fits =
        QRectF(rect()).contains(QRectF(centred, QSizeF(line.naturalTextWidth(), size.height())));
    const auto draw = [&](QPoint offset, const QColor& color) {
        p.setPen(color);
        p.save();
        if (m_centred) {
            if (!fits) p.setClipRect(rect().translated(offset), Qt::IntersectClip);
            m_layout.draw(&p, centred + offset);
        } else {
            p.translate(m_origin + offset);
            p.rotate(-m_angle);  // counter-clockwise on screen
            m_layout.draw(&p, QPointF(0, m_ascent - line.ascent()));
        }
        p.restore();
    };
    if (m_shadowed) draw(QPoint(2, 1), palette().color(QPalette::Dark));
    draw(QPoint(0, 0), m_color);
}

}  // namespace corvane
