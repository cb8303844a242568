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
QIcon StoredIcon(const char* name);

// A panel background stored as one column, every row a single colour: the column, for a panel to
// fill its rows with (BevelPanel::setRowColours, which makes it opaque).
QImage StoredBackground(const char* name);

// The grid panel's background as such a column. Every row of the stored JPEG is one colour, so
// only its first column is decoded.
QImage PanelBackground();

}  // namespace corvane
