#include "view/picturetooltips.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QBitmap>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <stdexcept>

#include "view/hintlayout.h"
#include "view/storedpictures.h"

namespace corvane {

namespace {
constexpr char kSecondComponent[] = "Ya existe un Componente HintComponent\r\nen el Form";
// How long a hint stays up when nothing else hides it.
constexpr int kHintHideMs = 10000;
// The thin border of the pop-up window, around the bevel.
constexpr int kFrameWidth = 1;

bool OwnerHasComponent(const QObject* owner) {
    return owner && owner->findChild<PictureToolTips*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}
}  // namespace

PictureToolTips::PictureToolTips(QObject* owner) {
    if (OwnerHasComponent(owner)) throw std::runtime_error(kSecondComponent);
    setParent(owner);
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kHintHideMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &PictureToolTips::hideHint);
}

PictureToolTips::~PictureToolTips() {
    if (m_installed) qApp->removeEventFilter(this);
}

QColor PictureToolTips::color() const {
    return m_color.isValid() ? m_color : QApplication::palette().color(QPalette::ToolTipBase);
}

void PictureToolTips::setPicture(const QPixmap& picture) {
    m_storedName = nullptr;
    m_sharpPicture = QPixmap();
    m_picture = picture;
    m_transparentPicture = picture;
    if (picture.isNull()) return;
    const QImage image = picture.toImage();
    const QRgb key = image.pixel(0, image.height() - 1);
    m_transparentPicture.setMask(QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor)));
}

void PictureToolTips::setStoredPicture(const char* name) {
    setPicture(StoredPixmap(name));
    m_storedName = name;
}

const QPixmap& PictureToolTips::transparentPicture(qreal ratio) const {
    if (ratio <= 1.0 || !m_storedName) return m_transparentPicture;
    if (!m_sharpPicture.isNull() && m_sharpPicture.devicePixelRatio() == ratio) return m_sharpPicture;
    // Keyed out before it is scaled to the ratio, so that no edge blends with the key colour.
    QImage sharp = StoredImage(m_storedName, 2.0).convertToFormat(QImage::Format_ARGB32);
    if (sharp.isNull()) return m_transparentPicture;
    const QRgb key = sharp.pixel(0, sharp.height() - 1);
    for (int y = 0; y < sharp.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(sharp.scanLine(y));
        for (int x = 0; x < sharp.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    const QSize size = m_picture.size() * ratio;
    if (sharp.size() != size) sharp = sharp.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_sharpPicture = QPixmap::fromImage(sharp);
    m_sharpPicture.setDevicePixelRatio(ratio);
    return m_sharpPicture;
}

void PictureToolTips::activate() {
    if (m_installed) return;
    qApp->installEventFilter(this);
    m_installed = true;
}

bool PictureToolTips::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            auto* widget = qobject_cast<QWidget*>(watched);
            // A control without a tool tip passes the request on to its container.
            if (!widget || widget->toolTip().isEmpty()) break;
            showHint(widget, widget->toolTip(), static_cast<QHelpEvent*>(event)->globalPos());
            event->accept();
            return true;
        }
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::ApplicationDeactivate:
            hideHint();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void PictureToolTips::showHint(QWidget* control, const QString& text, QPoint globalPos) {
    if (!m_window) m_window = std::make_unique<PictureToolTipWindow>(*this);
    m_window->showAt(globalPos, text, control);
    m_hideTimer.start();
}

void PictureToolTips::hideHint() {
    m_hideTimer.stop();
    if (m_window && m_window->isVisible()) m_window->hide();
}

PictureToolTipWindow::PictureToolTipWindow(const PictureToolTips& component)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
      m_component(&component),
      m_color(component.m_color),
      m_font(component.font()),
      m_onActivateHint(component.hook()),
      m_borderWidth(component.m_borderWidth) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(m_font);
}

QSize PictureToolTipWindow::hintRect(int maxWidth, const QString& text) const {
    const bool hasPicture = m_component && !m_component->picture().isNull();
    const QSize picture = hasPicture ? m_component->picture().size() : QSize();
    const int maxSize = m_component ? m_component->maxSize() : -1;
    const std::optional<int> limit = HintTextWidthLimit(maxSize, picture.width(), hasPicture);
    const int wrapWidth = limit && *limit < maxWidth ? *limit : maxWidth;
    const QRect measured =
        QFontMetrics(m_font).boundingRect(QRect(0, 0, wrapWidth, 0), Qt::AlignLeft | Qt::TextWordWrap, text);
    return HintWindowSize(measured.size(), picture, hasPicture);
}

void PictureToolTipWindow::showAt(QPoint pointer, QString text, QWidget* control) {
    if (m_onActivateHint) m_onActivateHint(*this, text, control);
    m_text = text;
    const QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QSize size = hintRect(screenRect.width(), m_text);
    setGeometry(QRect(HintPosition(screenRect, pointer, size), size));
    // A top-level window cannot place itself on Wayland; a pop-up of the control's window can,
    // relative to it, and so stands by the pointer whichever window has the focus.
    QWindow* parent = control && control->window() != this ? control->window()->windowHandle() : nullptr;
    if (!windowHandle()) create();
    if (parent && windowHandle()->transientParent() != parent) {
        hide();
        windowHandle()->setTransientParent(parent);
    }
    show();
    update();
}

void PictureToolTipWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    // The thin border, in the colour of the toolkit's own tooltip rims, keeps the window's edge
    // visible on every side over light controls, where the light half of a bevel would vanish.
    p.setPen(pal.color(QPalette::ToolTipText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.translate(kFrameWidth, kFrameWidth);
    const QRect inside = rect().adjusted(0, 0, -2 * kFrameWidth, -2 * kFrameWidth);
    // Read at each paint, so that a tip follows the desktop when it changes its colours.
    p.fillRect(inside, m_color.isValid() ? m_color : pal.color(QPalette::ToolTipBase));
    const ToolTipBevel bevel = m_component ? m_component->bevel() : ToolTipBevel::None;
    int border = m_borderWidth;
    switch (bevel) {
        case ToolTipBevel::Raised:
            qDrawShadePanel(&p, inside, pal, false, border);
            break;
        case ToolTipBevel::Lowered:
            qDrawShadePanel(&p, inside, pal, true, border);
            break;
        case ToolTipBevel::EdgeBump:
            qDrawShadeRect(&p, inside, pal, false, border, 0);
            break;
        case ToolTipBevel::EdgeEtched:
            qDrawShadeRect(&p, inside, pal, true, border, 0);
            break;
        case ToolTipBevel::None:
            border = 0;
            p.setPen(pal.color(QPalette::WindowText));
            p.drawRect(inside.adjusted(0, 0, -1, -1));
            break;
    }
    const bool hasPicture = m_component && !m_component->picture().isNull();
    QRect textRect = inside.adjusted(border, border, -border, -border);
    textRect.setLeft(textRect.left() + (hasPicture ? m_component->picture().width() + 6 : 2));
    textRect.setTop(textRect.top() + 2);
    p.setFont(m_font);
    // The text colour that goes with the tool-tip background: on a dark desktop the window text
    // is light while tool tips may stay pale.
    p.setPen(pal.color(QPalette::ToolTipText));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
    if (hasPicture) p.drawPixmap(2, 2, m_component->transparentPicture(devicePixelRatio()));
}

}  // namespace corvane
