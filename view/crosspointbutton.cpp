#include "view/crosspointbutton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>

#include <vector>

#include "view/storedpictures.h"

namespace corvane {

namespace {

// What a button's look depends on: its text is empty, so its font plays no part.
struct LookKey {
    const QStyle* style;
    QSize size;
    qreal pixelRatio;
    QStyle::State state;
    QStyleOptionButton::ButtonFeatures features;
    Qt::LayoutDirection direction;
    qint64 icon;
    QSize iconSize;
    qint64 palette;
    bool operator==(const LookKey&) const = default;
};

// Shared by all 85 buttons and kept as long as the application that made them: the two lamps,
// decoded once rather than twice for each button, and the buttons' looks. The buttons look alike,
// so each look (lamp, state, size) is drawn by the style once, into a transparent picture, and
// copied from there. The style builds a button from pictures laid over each other, and no two of
// them are partly transparent at the same pixel, so laid first over transparency and then over
// the panel as one they give exactly the pixels they give laid over the panel one by one.
struct ButtonPictures : QObject {
    using QObject::QObject;
    const QIcon connected = StoredIcon("lamp-on.png");
    const QIcon open = StoredIcon("lamp-off.png");
    std::vector<std::pair<LookKey, QPixmap>> looks;
};

ButtonPictures& Pictures() {
    static QPointer<ButtonPictures> pictures;
    if (!pictures) pictures = new ButtonPictures(qApp);
    return *pictures;
}

const QIcon& Glyph(bool connected) {
    return connected ? Pictures().connected : Pictures().open;
}

const QPixmap& Look(const QStyleOptionButton& option, const QPushButton& button) {
    const qreal ratio = button.devicePixelRatio();
    const LookKey key{button.style(),         option.rect.size(), ratio,
                      option.state,           option.features,    option.direction,
                      option.icon.cacheKey(), option.iconSize,    option.palette.cacheKey()};
    auto& looks = Pictures().looks;
    for (const auto& [k, look] : looks)
        if (k == key) return look;
    // A handful of states occur (lit or not, focus, hover, pressed); a palette or style change
    // makes new looks, and the old ones go rather than pile up.
    constexpr std::size_t kMostLooks = 32;
    if (looks.size() >= kMostLooks) looks.clear();
    QPixmap look(option.rect.size() * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(Qt::transparent);
    QPainter painter(&look);
    button.style()->drawControl(QStyle::CE_PushButton, &option, &painter, &button);
    painter.end();
    return looks.emplace_back(key, look).second;
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

void CrosspointButton::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    QPainter(this).drawPixmap(0, 0, Look(option, *this));
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
