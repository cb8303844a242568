#include "view/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace corvane {

void InstallFontSubstitutions() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    const QStringList sans = {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                              QStringLiteral("Nimbus Sans")};
    // "Arial Black" maps to the same families: its callers ask for the black weight as well.
    for (const char* family : {"Tahoma", "Arial Black", "MS Sans Serif", "Arial"})
        QFont::insertSubstitutions(QString::fromLatin1(family), sans);
}

void ReadFontList() {
    QFontDatabase::families();
}

QFont PixelFont(const QString& family, int pixels, QFont::Weight weight) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

}  // namespace corvane

namespace corvane {

QFont PointFont(const QString& family, int points, QFont::Weight weight) {
    QFont font(family);
    font.setPointSize(points);
    font.setWeight(weight);
    return font;
}

QFont FamiliesFont(const QStringList& families, int pixels) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    return font;
}

QFont HeavyFont(int pixels, QFont::Weight weight) {
    QFont font = FamiliesFont({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans")}, pixels);
    font.setWeight(weight);
    return font;
}

}  // namespace corvane
