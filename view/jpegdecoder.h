#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace corvane {

// Larger pictures are refused before anything is allocated for their pixels.
inline constexpr int kMaxJpegSide = 8192;

// How much of a picture to decode: all of it, or only its leftmost column, which is all a picture
// whose every row is one colour holds, for a fraction of the work.
enum class JpegColumns { All, FirstOnly };

// Decodes a JPEG picture with libjpeg straight into the form it is painted in (QImage::Format_RGB32),
// so that showing it needs neither a conversion nor a second copy of its pixels. Corrupt, truncated
// or oversized input gives no image and, when error is given, the reason in it; the process is
// never ended by the library.
std::optional<QImage> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* error = nullptr,
                                 JpegColumns columns = JpegColumns::All);
std::optional<QImage> DecodeJpeg(const QByteArray& bytes, std::string* error = nullptr,
                                 JpegColumns columns = JpegColumns::All);

}  // namespace corvane
