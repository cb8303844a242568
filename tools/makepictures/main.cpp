#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <cstdio>

#include "tools/makepictures/jpegwriter.h"
#include "tools/makepictures/pictures.h"

using namespace corvane;

namespace {

bool writePng(const QDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.filePath(name);
    if (!dir.mkpath(QFileInfo(name).path()) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "makepictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Pictures without transparency are stored without an alpha channel.
QImage opaque(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB888);
}

bool writeJpeg(const QDir& dir, const QString& name, const QImage& image) {
    QFile file(dir.filePath(name));
    const QByteArray bytes = pictures::encodeJpeg(image, 92);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "makepictures: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makepictures OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "makepictures: cannot create %s\n", argv[1]);
        return 1;
    }

    namespace pal = palette;
    bool ok = writeJpeg(
        out, QStringLiteral("panel-background.jpg"),
        pictures::verticalGradient(pal::kPanelWidth, pal::kPanelHeight, pal::kPanelTop, pal::kPanelBottom));
    // One column: every row is a single colour, and the panels stretch the picture over their
    // whole width, so a column paints the same pixels as the full width at 1/450 of the decoding.
    ok &= writePng(out, QStringLiteral("recall-background.png"),
                   opaque(pictures::verticalGradient(1, 86, pal::kRecallTop, pal::kRecallBottom)));
    // Every picture the window paints at its own size is drawn twice: as it is, and at twice the
    // size as "NAME@2x.png" for screens with two or more device pixels to the pixel.
    for (int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
        const auto write = [&](const char* name, const QImage& image) {
            return writePng(out, QString::fromLatin1(name) + suffix, image);
        };
        ok &=
            write("unit-normal", opaque(pictures::horizontalGradient(
                                     126 * scale, 40 * scale, pal::kUnitNormalLeft, pal::kUnitNormalRight)));
        ok &= write("unit-selected",
                    opaque(pictures::horizontalGradient(126 * scale, 40 * scale, pal::kUnitSelectedLeft,
                                                        pal::kUnitSelectedRight)));
        ok &= write("lamp-on", pictures::lamp(true, scale));
        ok &= write("lamp-off", pictures::lamp(false, scale));
        for (int n = 1; n <= 5; ++n)
            ok &= write(qPrintable(QStringLiteral("digit-%1").arg(n)), opaque(pictures::digit(n, scale)));
        ok &= write("hint", opaque(pictures::hintPicture(scale)));
        ok &= write("open", pictures::openCommand(scale));
        ok &= write("save", pictures::saveCommand(scale));
        ok &= write("exit", pictures::exitCommand(scale));
    }

    for (int size : {16, 32, 48, 64, 128, 256}) {
        ok &= writePng(out, QStringLiteral("icons/hicolor/%1x%1/apps/corvane.png").arg(size),
                       pictures::applicationIcon(size));
    }
    return ok ? 0 : 1;
}
