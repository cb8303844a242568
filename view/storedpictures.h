#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace corvane {

// The pictures compiled into the program, by file name (":/lamp-on.png" is "lamp-on.png"). Each is
// read by the format it is stored in, so that no image plug-in is loaded to guess it: the program
// loads none at all. A picture that cannot be read is null.
QImage StoredImage(const char* name);
QPixmap StoredPixmap(const char* name);

// The picture for a screen with `ratio` device pixels to the pixel, carrying that ratio: the
// stored picture itself up to ratio 1, else its drawing at twice the size ("NAME@2x.png"), smoothly
// scaled to the ratio when that is not 2. Pictures at 2x are only ever read by this.
QImage StoredImage(const char* name, qreal ratio);

// An icon of the stored picture that takes its @2x drawing, read when first asked for, wherever it
// is painted at a ratio above 1; at ratio 1 it gives exactly the pixels of QIcon(StoredPixmap()).
QIcon StoredIcon(const char* name);

// A panel background stored as one column, every row a single colour: the column, for a panel to
// fill its rows with (BevelPanel::setRowColours, which makes it opaque).
QImage StoredBackground(const char* name);

// The grid panel's background as such a column. Every row of the stored JPEG is one colour, so
// only its first column is decoded.
QImage PanelBackground();

}  // namespace corvane
