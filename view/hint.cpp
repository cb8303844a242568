#include "view/hint.h"

#include <QAction>
#include <QVariant>
#include <QWidget>

#include "view/hintlayout.h"

namespace corvane {

namespace {
constexpr char kHintProperty[] = "hint";
}

void SetHint(QWidget* widget, const QString& hint) {
    const HintParts parts = SplitHint(hint);
    widget->setToolTip(parts.shortPart);
    widget->setStatusTip(parts.longPart);
    // A screen reader speaks the long part after the control's name.
    widget->setAccessibleDescription(parts.longPart);
    widget->setProperty(kHintProperty, hint);
}

void SetHint(QAction* action, const QString& hint) {
    const HintParts parts = SplitHint(hint);
    action->setToolTip(parts.shortPart);
    action->setStatusTip(parts.longPart);
    action->setProperty(kHintProperty, hint);
}

QString HintOf(const QWidget* widget) {
    return widget->property(kHintProperty).toString();
}

}  // namespace corvane
