#include "view/crosspointbutton.h"

#include <QFocusEvent>

namespace corvane {

CrosspointButton::CrosspointButton(int tag, QWidget* parent)
    : QPushButton(parent),
      m_tag(tag),
      m_connectedGlyph(QStringLiteral(":/lamp-on.png")),
      m_openGlyph(QStringLiteral(":/lamp-off.png")) {
    setIconSize(QSize(20, 20));
    setIcon(m_openGlyph);
}

void CrosspointButton::setConnected(bool connected) {
    if (m_connected == connected) return;
    m_connected = connected;
    setIcon(connected ? m_connectedGlyph : m_openGlyph);
}

void CrosspointButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    Q_EMIT focusEntered(m_tag);
}

void CrosspointButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    // A menu or another window taking the keyboard for a while leaves the focus with the button
    // within its window.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Q_EMIT focusExited(m_tag);
}

}  // namespace corvane
