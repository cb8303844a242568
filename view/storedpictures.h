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

// The grid panel's background as it is painted: one column, to be stretched over the panel. Every
// row of the stored picture is a single colour, so the column paints the same pixels as the whole
// picture in a sliver of its memory.
QPixmap PanelBackground();

}  // namespace corvane
