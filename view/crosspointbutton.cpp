#include "view/crosspointbutton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>

#include "view/storedpictures.h"

namespace corvane {

namespace {

// The two lamps, decoded once for all 85 buttons rather than twice for each. They go with the
// application that made them.
struct Glyphs : QObject {
    using QObject::QObject;
    const QIcon connected = StoredIcon("lamp-on.png");
    const QIcon open = StoredIcon("lamp-off.png");
};

const QIcon& Glyph(bool connected) {
    static QPointer<Glyphs> glyphs;
    if (!glyphs) glyphs = new Glyphs(qApp);
    return connected ? glyphs->connected : glyphs->open;
}

}  // namespace

CrosspointButton::CrosspointButton(int tag, QWidget* parent) : QPushButton(parent), m_tag(tag) {
    setIconSize(QSize(20, 20));
    setIcon(Glyph(false));
}

void CrosspointButton::setConnected(bool connected) {
    if (m_connected == connected) return;
    m_connected = connected;
    setIcon(Glyph(connected));
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
