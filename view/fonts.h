#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace corvane {

// The windows ask for the families they were designed with; a machine without them gets a legible
// installed family of similar weight instead. Safe to call more than once.
void InstallFontSubstitutions();

// Reads the system's font configuration and font list into the font database: the largest single
// part of a start, which can run on a second thread while the window is built (the database guards
// itself). Needs the application object. Fonts themselves are kept per thread, so a font made
// there would only be made again by the window.
void ReadFontList();

// A font of the design by family and pixel height.
QFont PixelFont(const QString& family, int pixels, QFont::Weight weight = QFont::Normal);

}  // namespace corvane

namespace corvane {

// The first installed of the families, by pixel height.
QFont FamiliesFont(const QStringList& families, int pixels);

// A font of the design by family and point size.
QFont PointFont(const QString& family, int points, QFont::Weight weight = QFont::Normal);

// The panels' titles and keys: a black, heavy face; machines without it get a heavy face of a
// legible family.
QFont HeavyFont(int pixels, QFont::Weight weight);

}  // namespace corvane
