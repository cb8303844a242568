#pragma once

#include <QImage>

#include "tools/makepictures/palette.h"

// Every picture of the program, drawn in code so that the files in resources/ can be made again.
namespace corvane::pictures {

QColor toColor(palette::Rgb c);

// Gradients interpolated per row or column by hand, so the result does not depend on the
// painter's gradient implementation.
QImage verticalGradient(int width, int height, palette::Rgb top, palette::Rgb bottom);
QImage horizontalGradient(int width, int height, palette::Rgb left, palette::Rgb right);

QImage lamp(bool lit);             // 20 x 20, transparent corners
QImage digit(int n);               // 16 x 16, n in 1..5
QImage hintPicture();              // 32 x 32, no alpha; the lower-left pixel is the key colour
QImage openCommand();              // 16 x 16 open folder
QImage saveCommand();              // 16 x 16 floppy disk
QImage exitCommand();              // 16 x 16 door
QImage applicationIcon(int size);  // the drawing of resources/corvane.svg at size x size

}  // namespace corvane::pictures
