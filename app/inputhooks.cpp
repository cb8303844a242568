#include "app/inputhooks.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <vector>

#include "app/keybindings.h"
#include "app/mainwindow.h"
#include "model/gridcontent.h"
#include "model/layouts.h"
#include "view/crosspointbutton.h"
#include "view/crosspointgrid.h"
#include "view/functionspanel.h"
#include "view/recallpanel.h"
#include "view/unitpanel.h"

namespace corvane {

InputHooks::InputHooks(MainWindow& window) : QObject(&window), m_window(window) {}

bool InputHooks::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            if (handleKey(watched, static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::WindowDeactivate:
            if (watched == &m_window) m_strokes.forget();
            break;
        case QEvent::Enter:
        case QEvent::Leave:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == &m_window) {
                if (event->type() == QEvent::Enter)
                    m_tipControl = widget;
                else if (widget == m_tipControl)
                    m_tipControl = widget == &m_window ? nullptr : widget->parentWidget();
                // The tip follows the pointer once the events of one move are handled, so that
                // leaving one control and entering the next settle on the control entered.
                if (!m_tipUpdatePending) {
                    m_tipUpdatePending = true;
                    QMetaObject::invokeMethod(this, &InputHooks::updatePointerTip, Qt::QueuedConnection);
                }
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

// The visible controls of the grid panel in their focus order: the unit panels, then the grid
// buttons in creation order. Moves to the next or previous one, wrapping at the ends. The unit
// panels are no tab stops, but the arrow keys visit them all the same.
bool InputHooks::moveGridPanelFocus(QWidget* from, bool forward) {
    std::vector<QWidget*> order;
    for (int unit : kUnitPanelFocusOrder)
        if (QWidget* panel = m_window.unitPanel(unit); panel && panel->isVisible()) order.push_back(panel);
    for (int tag = 0; tag < grid::kCrosspoints; ++tag)
        if (QPushButton* button = m_window.grid().button(tag / grid::kColumns, tag % grid::kColumns);
            button->isVisible())
            order.push_back(button);
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return false;
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const std::ptrdiff_t i = ((at - order.begin()) + (forward ? 1 : n - 1)) % n;
    order[static_cast<std::size_t>(i)]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// A key reaches the hook at each widget it travels up to, until one takes it: the focused control
// first, then its parents up to the window. (A platform's key reaches the window's QWindow before
// that, as another event; the hook leaves it alone, or one stroke would count twice.) Each job
// below takes its keys where they first arrive, so a key the hook takes travels no further, and
// the one it passes on, Insert, is taken at the window only.
bool InputHooks::handleKey(QObject* target, QKeyEvent* key) {
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget) return false;
    if (key->type() == QEvent::KeyRelease) {
        m_strokes.released(*key);
        return false;
    }
    // At a parent the press already counts as held: only where it first arrives may it click.
    const bool newStroke = m_strokes.pressed(*key);
    // Keys for a dialog, a message box or an open menu are theirs alone.
    if (widget->window() != &m_window || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget())
        return false;
    if (moveInGridPanel(widget, *key)) return true;
    if (click(widget, *key, newStroke)) return true;
    // Insert, whatever the modifiers and from the keypad too, opens the names dialog once per
    // press, when no control has taken it on its way up.
    if (key->key() == Qt::Key_Insert && widget == &m_window) m_window.editNames();
    return false;
}

// The arrows in the grid panel: Up and Down stay in a crosspoint's column, with any modifier held
// (the flag keeps its label yellow across the move); otherwise they visit the panel's controls.
bool InputHooks::moveInGridPanel(QWidget* widget, const QKeyEvent& key) {
    const int code = key.key();
    const bool vertical = code == Qt::Key_Up || code == Qt::Key_Down;
    if (!vertical && code != Qt::Key_Left && code != Qt::Key_Right) return false;
    if (widget->parentWidget() != m_window.gridPanel()) return false;
    if (auto* button = qobject_cast<CrosspointButton*>(widget);
        button && vertical && button->column() < grid::kNoLineColumn) {
        m_window.grid().moveInColumn(button, code == Qt::Key_Up, m_window.controller().model().isReverse());
        return true;
    }
    return moveGridPanelFocus(widget, code == Qt::Key_Right || code == Qt::Key_Down);
}

// The keys of the key table, and Space and Enter on a focused key or unit panel. A held key
// clicks once: its repeats are taken too, or each would send again.
bool InputHooks::click(QWidget* widget, const QKeyEvent& key, bool newStroke) {
    if (const KeyRow* row = BindingFor(key)) {
        if (newStroke) runKey(*row);
        return true;
    }
    const int code = key.key();
    const bool plain = !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!plain || (code != Qt::Key_Space && code != Qt::Key_Return && code != Qt::Key_Enter)) return false;
    if (auto* push = qobject_cast<QPushButton*>(widget); push && push->isEnabled()) {
        if (newStroke) push->click();
        return true;
    }
    if (auto* panel = qobject_cast<UnitPanel*>(widget)) {
        if (newStroke) panel->activate();
        return true;
    }
    return false;
}

void InputHooks::runKey(const KeyRow& row) {
    switch (row.action) {
        case KeyAction::MemoryKey:
            m_window.recallPanel()->key(row.argument)->click();
            break;
        case KeyAction::FunctionKey: {
            // As a click: OK only while it is shown.
            QPushButton* button =
                row.argument == kOkTag ? m_window.okKey() : m_window.functionsPanel()->key(row.argument);
            if (button->isVisible() && button->isEnabled()) button->click();
            break;
        }
        case KeyAction::ShowKeys:
            m_window.commands().keyboard->trigger();
            break;
        case KeyAction::Listed:
            break;
    }
}

// The long tip of the control under the pointer or of its nearest container that has one.
void InputHooks::updatePointerTip() {
    m_tipUpdatePending = false;
    QString tip;
    for (QWidget* w = m_tipControl; w && tip.isEmpty(); w = w == &m_window ? nullptr : w->parentWidget())
        tip = w->statusTip();
    m_window.statusPanel(kHintStatusPanel)->setText(tip);
}

}  // namespace corvane
