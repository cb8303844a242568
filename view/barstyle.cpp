#include "view/barstyle.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include <algorithm>

#include "view/applicationstyle.h"

namespace corvane {

namespace {

// The line along the bottom edge of the whole bar, drawn piece by piece under each part of it.
void DrawBottomLine(QPainter* painter, const QRect& part, const QWidget* bar, const QPalette& palette) {
    const int bottom = bar ? bar->rect().bottom() : part.bottom();
    if (part.bottom() < bottom) return;
    painter->setPen(palette.color(QPalette::Dark));
    painter->drawLine(part.left(), bottom, part.right(), bottom);
}

}  // namespace

BarStyle::BarStyle(int menuBarHeight) : QProxyStyle(new ApplicationStyle), m_menuBarHeight(menuBarHeight) {}

QSize BarStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                 const QWidget* widget) const {
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    // A title takes the bar's whole height above its bottom line, so that it is centred in it.
    if (type == CT_MenuBarItem) size.setHeight(std::max(size.height(), m_menuBarHeight - 1));
    return size;
}

void BarStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const {
    switch (element) {
        case CE_MenuBarItem:
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                const bool enabled = item->state & State_Enabled;
                const bool highlighted = enabled && (item->state & State_Selected);
                painter->save();
                // The highlight is white on every desktop, so its text is black on every desktop:
                // a dark palette's light window text would vanish on it.
                QPalette palette = item->palette;
                if (highlighted) palette.setColor(QPalette::WindowText, Qt::black);
                painter->fillRect(item->rect,
                                  highlighted ? QColor(Qt::white) : palette.color(QPalette::Button));
                DrawBottomLine(painter, item->rect, widget, item->palette);
                int alignment = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
                if (!proxy()->styleHint(SH_UnderlineShortcut, item, widget))
                    alignment |= Qt::TextHideMnemonic;
                proxy()->drawItemText(painter, item->rect, alignment, palette, enabled, item->text,
                                      QPalette::WindowText);
                painter->restore();
                return;
            }
            break;
        case CE_MenuBarEmptyArea:
            painter->save();
            painter->fillRect(option->rect, option->palette.color(QPalette::Button));
            DrawBottomLine(painter, option->rect, widget, option->palette);
            painter->restore();
            return;
        case CE_ToolBar:
            painter->save();
            painter->fillRect(option->rect, option->palette.color(QPalette::Button));
            qDrawShadeRect(painter, option->rect, option->palette, true, 1, 0);
            painter->restore();
            return;
        default:
            break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

}  // namespace corvane
