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
    QImage image;

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

bool decodeInto(Session& s, const std::uint8_t* data, std::size_t size, JpegColumns columns) {
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

    // libjpeg writes blue, green, red and an opaque filler byte: in memory the 0xffRRGGBB words
    // of QImage::Format_RGB32.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the decoder writes RGB32 words byte by byte");
    s.cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&s.cinfo);
    if (s.cinfo.output_components != 4) refuse(s, "Unsupported colour layout");
    if (columns == JpegColumns::FirstOnly) {
        // The library still reads every block but turns only the leftmost ones into pixels.
        JDIMENSION left = 0, width = 1;
        jpeg_crop_scanline(&s.cinfo, &left, &width);
    }

    // The pixels are reserved at once but only touched as rows are decoded, so a header that lies
    // about the size fails on its missing data without the claimed picture ever taking memory.
    s.image = QImage(static_cast<int>(s.cinfo.output_width), static_cast<int>(s.cinfo.output_height),
                     QImage::Format_RGB32);
    if (s.image.isNull()) refuse(s, "Not enough memory for the picture");
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        JSAMPROW row = s.image.scanLine(static_cast<int>(s.cinfo.output_scanline));
        jpeg_read_scanlines(&s.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

}  // namespace

std::optional<QImage> DecodeJpeg(std::span<const std::uint8_t> bytes, std::string* error,
                                 JpegColumns columns) {
    if (bytes.empty()) {
        if (error) *error = "Empty input";
        return std::nullopt;
    }
    Session s;
    if (!decodeInto(s, bytes.data(), bytes.size(), columns)) {
        if (error) *error = s.err.message;
        return std::nullopt;
    }
    return std::move(s.image);
}

std::optional<QImage> DecodeJpeg(const QByteArray& bytes, std::string* error, JpegColumns columns) {
    return DecodeJpeg(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())),
                      error, columns);
}

}  // namespace corvane
