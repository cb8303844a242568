#pragma once

#include <QByteArray>
#include <QImage>

namespace corvane::pictures {

// Baseline JPEG through libjpeg itself, with fixed settings so the bytes do not change between runs.
QByteArray encodeJpeg(const QImage& image, int quality);

}  // namespace corvane::pictures
