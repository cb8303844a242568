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

}  // namespace corvane
