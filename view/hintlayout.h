#pragma once

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

}  // namespace corvane
