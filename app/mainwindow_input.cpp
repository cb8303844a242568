#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <exception>
#include <vector>

#include "app/mainwindow.h"
#include "controller/configurationsession.h"
#include "model/gridcontent.h"
#include "storage/settingsfile.h"
#include "view/crosspointbutton.h"
#include "view/crosspointgrid.h"
#include "view/unitpanel.h"

// The window's input beyond clicks: the key hook, the status tips, and its placement.
namespace corvane {

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (handleApplicationKey(watched, static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::Enter:
        case QEvent::Leave:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this) {
                if (event->type() == QEvent::Enter)
                    m_tipControl = widget;
                else if (widget == m_tipControl)
                    m_tipControl = widget == this ? nullptr : widget->parentWidget();
                // The tip follows the pointer once the events of one move are handled, so that
                // leaving one control and entering the next settle on the control entered.
                if (!m_tipUpdatePending) {
                    m_tipUpdatePending = true;
                    QMetaObject::invokeMethod(this, &MainWindow::updatePointerTip, Qt::QueuedConnection);
                }
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The long hint of the control under the pointer or of its nearest container that has one.
void MainWindow::updatePointerTip() {
    m_tipUpdatePending = false;
    QString hint;
    for (QWidget* w = m_tipControl; w && hint.isEmpty(); w = w == this ? nullptr : w->parentWidget())
        hint = w->statusTip();
    showStatusTip(hint);
}

// The application's current tip: the last status panel shows it.
void MainWindow::showStatusTip(const QString& tip) {
    m_statusPanels[3]->setText(tip);
}

bool MainWindow::event(QEvent* event) {
    // Status tips of controls and of highlighted commands go to the last panel, not over the bar.
    if (event->type() == QEvent::StatusTip) {
        showStatusTip(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// The visible controls of the grid panel in their focus order: the unit panels, then the grid
// buttons in creation order. Moves to the next or previous one, wrapping at the ends. The unit
// panels are no tab stops, but the arrow keys visit them all the same.
bool MainWindow::moveGridPanelFocus(QWidget* from, bool forward) {
    std::vector<QWidget*> order;
    for (int unit : {0, 1, 3, 2})
        if (QWidget* panel = m_unitPanels[static_cast<std::size_t>(unit)]; panel && panel->isVisible())
            order.push_back(panel);
    for (int tag = 0; tag < grid::kCrosspoints; ++tag)
        if (QPushButton* button = m_grid->button(tag / grid::kColumns, tag % grid::kColumns);
            button->isVisible())
            order.push_back(button);
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return false;
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const std::ptrdiff_t i = ((at - order.begin()) + (forward ? 1 : n - 1)) % n;
    order[static_cast<std::size_t>(i)]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool MainWindow::handleApplicationKey(QObject* target, QKeyEvent* key) {
    auto* widget = qobject_cast<QWidget*>(target);
    // Keys for a dialog, a message box or an open menu are theirs alone.
    const bool inWindow = widget && widget->window() == this && !QApplication::activeModalWidget() &&
                          !QApplication::activePopupWidget();
    if (inWindow) {
        const int code = key->key();
        const bool vertical = code == Qt::Key_Up || code == Qt::Key_Down;
        const bool arrow = vertical || code == Qt::Key_Left || code == Qt::Key_Right;
        auto* button = qobject_cast<CrosspointButton*>(widget);
        if (button && button->parentWidget() != m_gridPanel) button = nullptr;

        // Up and Down stay in the column, with any modifier held; the flag keeps its label yellow
        // across the move.
        if (button && vertical && button->column() < grid::kNoLineColumn) {
            m_grid->moveInColumn(button, code == Qt::Key_Up, m_controller.state().ReverseMode != 0);
            return true;
        }
        if (arrow && widget->parentWidget() == m_gridPanel)
            return moveGridPanelFocus(widget, code == Qt::Key_Right || code == Qt::Key_Down);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && (code == Qt::Key_Space || code == Qt::Key_Return || code == Qt::Key_Enter)) {
            if (auto* push = qobject_cast<QPushButton*>(widget); push && push->isEnabled()) {
                // A held key clicks once; its repeats are swallowed, or each would send again.
                if (!key->isAutoRepeat()) push->click();
                return true;
            }
        }
    }

    // Insert, whatever the modifiers and from the keypad too, opens the names dialog. The key still
    // reaches its window afterwards.
    // The hook sees a press again at each parent it travels up to: open once per press. The event
    // alone cannot tell, as the next press may be built where this one was.
    if (key->key() == Qt::Key_Insert && inWindow) {
        const bool travelling =
            key == m_insertPress && m_insertReached && m_insertReached->parent() == target;
        m_insertPress = key;
        m_insertReached = target;
        if (!travelling) {
            editNames();
            // The dialog's run may have built other presses where this one lives; this one still
            // travels on from here.
            m_insertPress = key;
            m_insertReached = target;
        }
    }

    return false;
}

namespace {

// The placement is kept as the client area's normal (not maximised) geometry, the frame left out,
// so a restored window comes back with the same client size whatever the window manager draws.
constexpr int kRestoreToMaximized = 2;  // a minimised window that was maximised before

WindowPlacement placementOf(const QWidget& window) {
    QRect normal = window.normalGeometry();
    if (normal.isNull()) normal = window.geometry();
    WindowPlacement p;
    const Qt::WindowStates states = window.windowState();
    p.flags = (states & Qt::WindowMinimized) && (states & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
    p.showCmd = (states & Qt::WindowMinimized) ? 2 : (states & Qt::WindowMaximized) ? 3 : 1;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    p.pixelsPerInch = window.logicalDpiY();
    return p;
}

}  // namespace

void MainWindow::restoreWindowState() {
    if (!m_controller.session().isOpen()) return;
    const WindowPlacement current = placementOf(*this);
    const std::optional<RestoredPlacement> restored =
        RestoreWindowPlacement(*m_controller.session().store(), current);
    if (!restored) return;
    if (restored->placement) {
        // A placement from another screen set-up, or a damaged file, must not give a window far
        // off the screen or larger than it: one of 100000 pixels square takes gigabytes to paint.
        std::vector<QRect> screens;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            screens.push_back(primary->availableGeometry());
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen != QGuiApplication::primaryScreen()) screens.push_back(screen->availableGeometry());
        setGeometry(FitOnScreens(*restored->placement, screens));
    }
    switch (restored->show) {
        case WindowShow::Minimized: {
            Qt::WindowStates states = Qt::WindowMinimized;
            if (restored->placement && (restored->placement->flags & kRestoreToMaximized))
                states |= Qt::WindowMaximized;
            setWindowState(states);
            break;
        }
        case WindowShow::Maximized:
            setWindowState(Qt::WindowMaximized);
            break;
        case WindowShow::Normal:
            setWindowState(Qt::WindowNoState);
            break;
    }
}

void MainWindow::saveWindowState() {
    if (!m_controller.session().isOpen()) return;
    try {
        SaveWindowPlacement(*m_controller.session().store(), placementOf(*this));
    } catch (const std::exception& e) {
        // Only the last EndAccess writes; the program's own access is still open here.
        ShowSettingsError(m_notifier, e);
    }
}

}  // namespace corvane
