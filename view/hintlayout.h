#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace corvane {

// A hint splits at its first bar: the short part pops up, the long part goes to the status bar.
// Blanks around the bar stay with the parts; a hint without a bar is used whole for both.
struct HintParts {
    QString shortPart;
    QString longPart;
};
HintParts SplitHint(const QString& hint);

// The width the picture hint window wraps its text in: MaxSize less the picture's width (50 when
// the picture is wider than MaxSize), MaxSize itself without a picture, no limit when MaxSize <= 0.
std::optional<int> HintTextWidthLimit(int maxSize, int pictureWidth, bool hasPicture);

// The window size for text measured at `text`: beside the picture with 6 pixels between, then a
// rim of 6 across and 2 down.
QSize HintWindowSize(QSize text, QSize picture, bool hasPicture);

// Where a hint of the given size pops up for the pointer at `pointer` on `screen`: 20 pixels below
// the pointer, left edges together. A hint that would run past the right edge moves left to end at
// the pointer, one that would run past the bottom goes above the pointer instead; then it is kept
// inside the screen, its top-left corner first.
QPoint HintPosition(const QRect& screen, QPoint pointer, QSize hint);

}  // namespace corvane
