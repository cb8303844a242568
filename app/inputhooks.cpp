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
    for (int unit : {0, 1, 3, 2})
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

bool InputHooks::handleKey(QObject* target, QKeyEvent* key) {
    // The hook sees a key again at each parent it travels up to: it is judged once, where it
    // arrives first. The event alone cannot tell, as the next one may be built where this one was.
    const bool travelling = key == m_lastKey && m_lastReached && m_lastReached->parent() == target;
    m_lastKey = key;
    m_lastReached = target;
    if (key->type() == QEvent::KeyRelease) {
        if (!travelling) m_strokes.released(*key);
        return false;
    }
    if (!travelling) m_newStroke = m_strokes.pressed(*key);

    auto* widget = qobject_cast<QWidget*>(target);
    // Keys for a dialog, a message box or an open menu are theirs alone.
    const bool inWindow = widget && widget->window() == &m_window && !QApplication::activeModalWidget() &&
                          !QApplication::activePopupWidget();
    if (inWindow) {
        const int code = key->key();
        const bool vertical = code == Qt::Key_Up || code == Qt::Key_Down;
        const bool arrow = vertical || code == Qt::Key_Left || code == Qt::Key_Right;
        auto* button = qobject_cast<CrosspointButton*>(widget);
        if (button && button->parentWidget() != m_window.gridPanel()) button = nullptr;

        // Up and Down stay in the column, with any modifier held; the flag keeps its label yellow
        // across the move.
        if (button && vertical && button->column() < grid::kNoLineColumn) {
            m_window.grid().moveInColumn(button, code == Qt::Key_Up,
                                         m_window.controller().model().isReverse());
            return true;
        }
        if (arrow && widget->parentWidget() == m_window.gridPanel())
            return moveGridPanelFocus(widget, code == Qt::Key_Right || code == Qt::Key_Down);
        // A held key clicks once: its repeats are swallowed, or each would send again.
        if (const KeyRow* row = BindingFor(*key)) {
            if (m_newStroke) runKey(*row, key, target);
            return true;
        }
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && (code == Qt::Key_Space || code == Qt::Key_Return || code == Qt::Key_Enter)) {
            if (auto* push = qobject_cast<QPushButton*>(widget); push && push->isEnabled()) {
                if (m_newStroke) push->click();
                return true;
            }
            if (auto* panel = qobject_cast<UnitPanel*>(widget)) {
                if (m_newStroke) panel->activate();
                return true;
            }
        }
    }

    // Insert, whatever the modifiers and from the keypad too, opens the names dialog once per
    // press. The key still reaches its window afterwards.
    if (key->key() == Qt::Key_Insert && inWindow && !travelling) {
        m_window.editNames();
        resumeAfterDialog(key, target);
    }
    return false;
}

void InputHooks::runKey(const KeyRow& row, QKeyEvent* key, QObject* target) {
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
    resumeAfterDialog(key, target);
}

// A message box or dialog run by a key may have built other key events where this one lives;
// this one still travels on from here.
void InputHooks::resumeAfterDialog(QKeyEvent* key, QObject* target) {
    m_lastKey = key;
    m_lastReached = target;
}

// The long tip of the control under the pointer or of its nearest container that has one.
void InputHooks::updatePointerTip() {
    m_tipUpdatePending = false;
    QString tip;
    for (QWidget* w = m_tipControl; w && tip.isEmpty(); w = w == &m_window ? nullptr : w->parentWidget())
        tip = w->statusTip();
    m_window.statusPanel(3)->setText(tip);
}

}  // namespace corvane
