#include "view/hintlayout.h"

#include <algorithm>

namespace corvane {

HintParts SplitHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0) return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

std::optional<int> HintTextWidthLimit(int maxSize, int pictureWidth, bool hasPicture) {
    if (maxSize <= 0) return std::nullopt;
    if (!hasPicture) return maxSize;
    return pictureWidth > maxSize ? 50 : maxSize - pictureWidth;
}

QSize HintWindowSize(QSize text, QSize picture, bool hasPicture) {
    QSize size = text;
    if (hasPicture)
        size = QSize(text.width() + picture.width() + 6, std::max(text.height(), picture.height()) + 2);
    return size + QSize(6, 2);
}

QPoint HintPosition(const QRect& screen, QPoint pointer, QSize hint) {
    constexpr int kBelowPointer = 20;
    QPoint at(pointer.x(), pointer.y() + kBelowPointer);
    if (at.x() + hint.width() > screen.right() + 1) at.setX(pointer.x() - hint.width());
    if (at.y() + hint.height() > screen.bottom() + 1) at.setY(pointer.y() - hint.height());
    at.setX(std::max(std::min(at.x(), screen.right() + 1 - hint.width()), screen.left()));
    at.setY(std::max(std::min(at.y(), screen.bottom() + 1 - hint.height()), screen.top()));
    return at;
}

}  // namespace corvane
