#include "view/storedpictures.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "view/jpegdecoder.h"

// The pictures are compiled into this static library; they are registered before the first read.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

namespace corvane {

namespace {

constexpr char kPanelBackground[] = "panel-background.jpg";

QString ResourcePath(const char* name) {
    static const bool registered = (RegisterResources(), true);
    (void)registered;
    return QStringLiteral(":/") + QString::fromLatin1(name);
}

// Every stored picture but the panel background is a PNG. Without guessing, the reader goes
// straight to the built-in PNG reader instead of asking every image plug-in first whether it reads
// the picture better.
QImage ReadPng(const char* name) {
    QImageReader reader(ResourcePath(name), "PNG");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
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

// The grid background is a JPEG; only its first column is decoded.
QImage ReadPanelBackground() {
    QFile file(ResourcePath(kPanelBackground));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::optional<QImage> column = DecodeJpeg(file.readAll(), nullptr, JpegColumns::FirstOnly);
    return column ? BackgroundStrip(*column) : QImage();
}

// Pictures read ahead on another thread, by name, in the form the readers below return.
struct ReadAhead {
    std::mutex mutex;
    std::map<std::string, QImage, std::less<>> pictures;
};

ReadAhead& Ahead() {
    static ReadAhead ahead;
    return ahead;
}

// A picture read ahead, taken out so that it is not kept twice, or else read now.
template <typename Read>
QImage Picture(const char* name, Read read) {
    {
        const std::lock_guard lock(Ahead().mutex);
        const auto found = Ahead().pictures.find(std::string_view(name));
        if (found != Ahead().pictures.end()) return std::move(Ahead().pictures.extract(found).mapped());
    }
    return read(name);
}

}  // namespace

void ReadStoredPicturesAhead() {
    const auto keep = [](const char* name, QImage picture) {
        const std::lock_guard lock(Ahead().mutex);
        Ahead().pictures.emplace(name, std::move(picture));
    };
    keep(kPanelBackground, ReadPanelBackground());
    // Picked by suffix here: a name filter would compile a regular expression, and with it page in
    // a library the program otherwise never uses.
    for (const QString& name : QDir(ResourcePath("")).entryList(QDir::Files)) {
        if (!name.endsWith(QLatin1String(".png"))) continue;
        const QByteArray latin = name.toLatin1();
        keep(latin.constData(), ReadPng(latin.constData()));
    }
}

QImage StoredImage(const char* name) {
    return Picture(name, ReadPng);
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
    return QPixmap::fromImage(Picture(kPanelBackground, [](const char*) { return ReadPanelBackground(); }));
}

}  // namespace corvane
