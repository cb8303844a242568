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
    ok &=
        writePng(out, QStringLiteral("unit-normal.png"),
                 opaque(pictures::horizontalGradient(126, 40, pal::kUnitNormalLeft, pal::kUnitNormalRight)));
    ok &= writePng(
        out, QStringLiteral("unit-selected.png"),
        opaque(pictures::horizontalGradient(126, 40, pal::kUnitSelectedLeft, pal::kUnitSelectedRight)));

    ok &= writePng(out, QStringLiteral("lamp-on.png"), pictures::lamp(true));
    ok &= writePng(out, QStringLiteral("lamp-off.png"), pictures::lamp(false));
    for (int n = 1; n <= 5; ++n)
        ok &= writePng(out, QStringLiteral("digit-%1.png").arg(n), opaque(pictures::digit(n)));
    ok &= writePng(out, QStringLiteral("hint.png"), opaque(pictures::hintPicture()));

    ok &= writePng(out, QStringLiteral("open.png"), pictures::openCommand());
    ok &= writePng(out, QStringLiteral("save.png"), pictures::saveCommand());
    ok &= writePng(out, QStringLiteral("exit.png"), pictures::exitCommand());

    for (int size : {16, 32, 48, 64, 128, 256}) {
        ok &= writePng(out, QStringLiteral("icons/hicolor/%1x%1/apps/corvane.png").arg(size),
                       pictures::applicationIcon(size));
    }
    return ok ? 0 : 1;
}
