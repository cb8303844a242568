#include <algorithm>

#include "tools/makepictures/pictures.h"

namespace corvane::pictures {

namespace {
int mix(int from, int to, int step, int steps) {
    if (steps <= 1) return from;
    // Rounded integer interpolation keeps the files identical on every machine.
    return from + ((to - from) * 2 * step + (steps - 1)) / (2 * (steps - 1));
}

QRgb mixRgb(palette::Rgb a, palette::Rgb b, int step, int steps) {
    return qRgb(mix(a.r, b.r, step, steps), mix(a.g, b.g, step, steps), mix(a.b, b.b, step, steps));
}
}  // namespace

QColor toColor(palette::Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QImage verticalGradient(int width, int height, palette::Rgb top, palette::Rgb bottom) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const QRgb c = mixRgb(top, bottom, y, height);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line, line + width, c);
    }
    return image;
}

QImage horizontalGradient(int width, int height, palette::Rgb left, palette::Rgb right) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) line[x] = mixRgb(left, right, x, width);
    }
    return image;
}

}  // namespace corvane::pictures
