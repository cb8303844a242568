#include "view/storedpictures.h"

#include <QFile>
#include <QImageReader>

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

// The first column of a picture whose rows are each one colour.
QImage FirstColumn(const QImage& picture) {
    return picture.isNull() ? QImage() : picture.copy(0, 0, 1, picture.height());
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

QImage StoredBackground(const char* name) {
    return FirstColumn(StoredImage(name));
}

QImage PanelBackground() {
    QFile file(ResourcePath("panel-background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::optional<QImage> picture = DecodeJpeg(file.readAll(), nullptr, JpegColumns::FirstOnly);
    return picture ? FirstColumn(*picture) : QImage();
}

}  // namespace corvane
