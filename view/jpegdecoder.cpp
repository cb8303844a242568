#include "view/jpegdecoder.h"

#include <csetjmp>
#include <cstdio>
#include <utility>

#include <jpeglib.h>

namespace corvane {

namespace {

// Memory libjpeg may take for its own buffers; a progressive picture keeps every coefficient in
// memory, and beyond this the library fails cleanly instead of growing.
constexpr long kLibraryMemoryLimit = 256L * 1024 * 1024;
// A hostile progressive stream can carry endless tiny scans; real pictures use a dozen or so.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Everything a decode touches lives here, outside the frame that calls setjmp, so nothing with a
// destructor is skipped by the jump and no local is left with an indeterminate value.
struct Session {
    jpeg_decompress_struct cinfo{};
    jpeg_progress_mgr progress{};
    ErrorManager err{};
    bool created = false;
    DecodedImage image;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

[[noreturn]] void failWithMessage(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->pub.format_message(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are how libjpeg reports damaged data it papers over (a missing end, a corrupt
// segment); a half-grey picture is no better than none, so they fail the decode too.
void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0) failWithMessage(cinfo);
}

void onProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "Too many scans");
        std::longjmp(err->jump, 1);
    }
}

void refuse(Session& s, const char* why) {
    std::snprintf(s.err.message, sizeof s.err.message, "%s", why);
    std::longjmp(s.err.jump, 1);
}

bool decodeInto(Session& s, const std::uint8_t* data, std::size_t size) {
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = failWithMessage;
    s.err.pub.emit_message = onMessage;
    s.err.pub.output_message = [](j_common_ptr) {};
    if (setjmp(s.err.jump)) return false;

    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.cinfo.mem->max_memory_to_use = kLibraryMemoryLimit;
    s.progress.progress_monitor = onProgress;
    s.cinfo.progress = &s.progress;

    jpeg_mem_src(&s.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s.cinfo, TRUE);
    if (s.cinfo.image_width > kMaxJpegSide || s.cinfo.image_height > kMaxJpegSide)
        refuse(s, "Picture too large");

    s.cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.cinfo);
    if (s.cinfo.output_components != 3) refuse(s, "Unsupported colour layout");

    const std::size_t stride = 3 * static_cast<std::size_t>(s.cinfo.output_width);
    s.image.width = static_cast<int>(s.cinfo.output_width);
    s.image.height = static_cast<int>(s.cinfo.output_height);
    // Rows are added as they are decoded, so a header that lies about the size fails on its
    // missing data long before the whole claimed picture is allocated.
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const std::size_t offset = stride * s.cinfo.output_scanline;
        s.image.rgb.resize(offset + stride);
        JSAMPROW row = s.image.rgb.data() + offset;
        jpeg_read_scanlines(&s.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

}  // namespace

std::optional<DecodedImage> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* error) {
    if (bytes.empty()) {
        if (error) *error = "Empty input";
        return std::nullopt;
    }
    Session s;
    if (!decodeInto(s, bytes.data(), bytes.size())) {
        if (error) *error = s.err.message;
        return std::nullopt;
    }
    return std::move(s.image);
}

std::optional<DecodedImage> DecodeJpeg(const QByteArray& bytes, std::string* error) {
    return DecodeJpeg(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())),
                      error);
}

}  // namespace corvane
