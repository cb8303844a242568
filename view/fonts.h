#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <thread>

namespace corvane {

// The windows ask for the families they were designed with; a machine without them gets a legible
// installed family of similar weight instead. Safe to call more than once.
void InstallFontSubstitutions();

// Reads the system's font list and resolves the windows' families on a thread of its own while the
// caller builds what needs no font: the largest single part of a start. The first font asked for
// waits for it, since the font database guards itself. Needs the application object and must end
// before it; the returned thread joins when it goes.
std::jthread LoadFontsInBackground();

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
