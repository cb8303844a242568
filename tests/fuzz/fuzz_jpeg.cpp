#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "view/jpegdecoder.h"

// Whatever bytes arrive, decoding the whole picture or only its first column either fails with a
// reason or yields a picture within the size cap, in the form it is painted in; libjpeg must never
// end the process.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const auto columns : {corvane::JpegColumns::All, corvane::JpegColumns::FirstOnly}) {
        std::string error;
        const auto image = corvane::DecodeJpeg(std::span(data, size), &error, columns);
        if (!image) {
            if (error.empty()) __builtin_trap();
            continue;
        }
        if (image->width() <= 0 || image->height() <= 0) __builtin_trap();
        if (image->width() > corvane::kMaxJpegSide || image->height() > corvane::kMaxJpegSide)
            __builtin_trap();
        if (image->format() != QImage::Format_RGB32) __builtin_trap();
    }
    return 0;
}
