#include "view/storedpictures.h"

#include <QFile>
#include <QImageReader>

#include "view/jpegdecoder.h"

namespace corvane {

namespace {

// Every stored picture but the panel background is a PNG; the background is a JPEG decoded here.
QString ResourcePath(const char* name) {
    return QStringLiteral(":/") + QString::fromLatin1(name);
}

}  // namespace

QImage StoredImage(const char* name) {
    // Without guessing, the reader goes straight to the built-in PNG reader instead of asking
    // every image plug-in first whether it reads the picture better.
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

QPixmap PanelBackground() {
    QFile file(ResourcePath("panel-background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::optional<QImage> column = DecodeJpeg(file.readAll(), nullptr, JpegColumns::FirstOnly);
    return column ? QPixmap::fromImage(column->copy(0, 0, 1, column->height())) : QPixmap();
}

}  // namespace corvane
