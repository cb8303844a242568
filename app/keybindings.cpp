#include "app/keybindings.h"

#include <QKeyEvent>
#include <QString>

namespace corvane {

const KeyRow* BindingFor(const QKeyEvent& key) {
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    for (const KeyRow& row : kKeyTable)
        if (row.action != KeyAction::Listed && row.key == pressed) return &row;
    return nullptr;
}

std::string KeyTableText() {
    QString text = QStringLiteral("<table cellspacing=\"4\">");
    for (const KeyRow& row : kKeyTable)
        text += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString::fromLatin1(row.keys).toHtmlEscaped(),
                         QString::fromLatin1(row.does).toHtmlEscaped());
    text += QStringLiteral("</table>");
    return text.toLatin1().toStdString();
}

}  // namespace corvane
