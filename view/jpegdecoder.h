#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

// A decoded picture: RGB888, rows top to bottom, no padding (row stride = 3 * width).
struct DecodedImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

// Larger pictures are refused before anything is allocated for their pixels.
inline constexpr int kMaxJpegSide = 8192;

// Decodes a JPEG picture with libjpeg. Corrupt, truncated or oversized input gives no image and,
// when error is given, the reason in it; the process is never ended by the library.
std::optional<DecodedImage> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
std::optional<DecodedImage> DecodeJpeg(const QByteArray& bytes, std::string* error = nullptr);

}  // namespace corvane
