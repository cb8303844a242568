#include "view/storedpictures.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>

#include "view/jpegdecoder.h"

// The pictures are compiled into this static library; they are registered before the first read.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

namespace corvane {

namespace {

QString ResourcePath(const char* name) {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    return QStringLiteral(":/") + QString::fromLatin1(name);
}

// A background is stored as one column, every row a single colour. Repeated sideways as a strip a
// few dozen pixels wide, it paints the same pixels as the whole picture with a copy per run, in a
// fraction of the memory.
QImage BackgroundStrip(const QImage& column) {
    if (column.isNull()) return {};
    constexpr int kStripWidth = 64;
    const QImage opaque = column.convertToFormat(QImage::Format_RGB32);
    QImage strip(kStripWidth, opaque.height(), QImage::Format_RGB32);
    for (int y = 0; y < strip.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
        std::fill(row, row + kStripWidth, reinterpret_cast<const QRgb*>(opaque.constScanLine(y))[0]);
    }
    return strip;
}

}  // namespace

// Every stored picture but the panel background is a PNG. Without guessing, the reader goes
// straight to the built-in PNG reader instead of asking every image plug-in first whether it reads
// the picture better.
QImage StoredImage(const char* name) {
    QImageReader reader(ResourcePath(name), "PNG");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap StoredPixmap(const char* name) {
    return QPixmap::fromImage(StoredImage(name));
}

QIcon StoredIcon(const char* name) {
    return QIcon(StoredPixmap(name));
}

QPixmap StoredBackground(const char* name) {
    return QPixmap::fromImage(BackgroundStrip(StoredImage(name)));
}

QPixmap PanelBackground() {
    QFile file(ResourcePath("panel-background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::optional<QImage> column = DecodeJpeg(file.readAll(), nullptr, JpegColumns::FirstOnly);
    return column ? QPixmap::fromImage(BackgroundStrip(*column)) : QPixmap();
}

}  // namespace corvane
