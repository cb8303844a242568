#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "view/jpegdecoder.h"

// Whatever bytes arrive, decoding either fails with a reason or yields a picture within the size
// cap, in the form it is painted in; libjpeg must never end the process.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto image = corvane::DecodeJpeg(std::span(data, size), &error);
    if (!image) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    if (image->width() <= 0 || image->height() <= 0) __builtin_trap();
    if (image->width() > corvane::kMaxJpegSide || image->height() > corvane::kMaxJpegSide) __builtin_trap();
    if (image->format() != QImage::Format_RGB32) __builtin_trap();
    return 0;
}
