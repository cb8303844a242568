#pragma once

#include <QString>

class QAction;
class QWidget;

namespace corvane {

// Gives a control or command its two-part hint: the short part becomes the tool tip (shown in the
// picture hint window), the long part the status tip (shown in the last status panel). The whole
// text stays readable through HintOf.
void SetHint(QWidget* widget, const QString& hint);
void SetHint(QAction* action, const QString& hint);
QString HintOf(const QWidget* widget);

}  // namespace corvane
