#include "tools/makepictures/jpegwriter.h"

#include "tools/makepictures/jpegencoder.h"

namespace corvane::pictures {

QByteArray encodeJpeg(const QImage& source, int quality) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    JpegSettings settings;
    settings.width = image.width();
    settings.height = image.height();
    settings.quality = quality;
    settings.optimizeCoding = true;
    const std::vector<std::uint8_t> bytes =
        EncodeJpeg(settings, [&image](int y) { return image.constScanLine(y); });
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace corvane::pictures
