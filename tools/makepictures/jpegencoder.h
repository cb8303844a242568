#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace corvane {

enum class JpegColours : std::uint8_t { Rgb, Grey, Cmyk };

// Samples per pixel: 3, 1 or 4.
int JpegComponents(JpegColours colours);

struct JpegSettings {
    int width = 0;
    int height = 0;
    JpegColours colours = JpegColours::Rgb;
    int quality = 95;
    bool progressive = false;
    bool optimizeCoding = false;  // the smallest Huffman tables, for a second pass over the picture
};

// JPEG through libjpeg itself, with the exact integer transform, so that the same settings give
// the same bytes on every run. row(y) gives the width * JpegComponents() samples of row y. The
// library's own error handler ends the process with its message on failure, which is what a
// generator or a test wants.
std::vector<std::uint8_t> EncodeJpeg(const JpegSettings& settings,
                                     const std::function<const std::uint8_t*(int y)>& row);

}  // namespace corvane
