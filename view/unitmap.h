#pragma once

#include <QColor>
#include <QImage>

#include "model/matrixmodel.h"

namespace corvane {

// Size of a unit picture; it stays this size in both orientations and is stretched to its panel.
inline constexpr int kUnitPictureWidth = 126;
inline constexpr int kUnitPictureHeight = 40;
inline constexpr int kDotPitch = 8;

// Draws the unit's work-memory routing as dots onto its picture, one for each crosspoint of the
// grid (MatrixModel::isLit): 5 rows x 16 columns in normal routing, 4 x 17 in reverse routing, where the last
// column falls outside the picture. Each dot is a 6-pixel circle on an 8-pixel pitch, outlined black and
// filled lime when connected or grey when not, over a circle one pixel lower right in the button-face colour.
// A picture of a device pixel ratio above 1 gets its dots drawn at that ratio.
void DrawUnitMap(QImage& picture, const MatrixModel& model, int unit, const QColor& buttonFace);

}  // namespace corvane
