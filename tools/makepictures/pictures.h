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

// Each of these is drawn at `scale` times its size for screens of that many device pixels per
// pixel (the @2x files); the shapes stay the same, their edges sharper.
QImage lamp(bool lit, int scale = 1);  // 20 x 20, transparent corners
QImage digit(int n, int scale = 1);    // 16 x 16, n in 1..5
QImage hintPicture(int scale = 1);     // 32 x 32, no alpha; the lower-left pixel is the key colour
QImage openCommand(int scale = 1);     // 16 x 16 open folder
QImage saveCommand(int scale = 1);     // 16 x 16 floppy disk
QImage exitCommand(int scale = 1);     // 16 x 16 door
QImage applicationIcon(int size);      // the drawing of resources/corvane.svg at size x size

}  // namespace corvane::pictures
