#include "tools/makepictures/jpegencoder.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace corvane {

int JpegComponents(JpegColours colours) {
    switch (colours) {
        case JpegColours::Grey:
            return 1;
        case JpegColours::Cmyk:
            return 4;
        case JpegColours::Rgb:
            break;
    }
    return 3;
}

std::vector<std::uint8_t> EncodeJpeg(const JpegSettings& settings,
                                     const std::function<const std::uint8_t*(int y)>& row) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = static_cast<JDIMENSION>(settings.width);
    cinfo.image_height = static_cast<JDIMENSION>(settings.height);
    cinfo.input_components = JpegComponents(settings.colours);
    cinfo.in_color_space = settings.colours == JpegColours::Grey   ? JCS_GRAYSCALE
                           : settings.colours == JpegColours::Cmyk ? JCS_CMYK
                                                                   : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    if (settings.progressive) jpeg_simple_progression(&cinfo);
    cinfo.optimize_coding = settings.optimizeCoding ? TRUE : FALSE;
    cinfo.dct_method = JDCT_ISLOW;

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW samples = const_cast<JSAMPROW>(row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &samples, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

}  // namespace corvane
