#include <gtest/gtest.h>

#include <QFile>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tools/makepictures/palette.h"
#include "view/jpegdecoder.h"

using namespace corvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encoding {
    int width, height;
    J_COLOR_SPACE space;  // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    bool progressive;
};

// A picture of one colour, encoded by libjpeg itself.
Bytes encode(const Encoding& e, std::uint8_t value = 100) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(e.width);
    cinfo.image_height = static_cast<JDIMENSION>(e.height);
    cinfo.in_color_space = e.space;
    cinfo.input_components = e.space == JCS_GRAYSCALE ? 1 : e.space == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (e.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(e.width * cinfo.input_components), value);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Rewrites the size in the frame header (SOF0 or SOF2) without touching the data that follows.
Bytes withClaimedSize(Bytes b, int width, int height) {
    for (std::size_t i = 0; i + 9 < b.size(); ++i) {
        if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) {
            b[i + 5] = static_cast<std::uint8_t>(height >> 8);
            b[i + 6] = static_cast<std::uint8_t>(height);
            b[i + 7] = static_cast<std::uint8_t>(width >> 8);
            b[i + 8] = static_cast<std::uint8_t>(width);
            return b;
        }
    }
    ADD_FAILURE() << "no frame header";
    return b;
}

Bytes committedBackground() {
    QFile file(QStringLiteral(CORVANE_SOURCE_DIR "/resources/panel-background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

void expectNear(const QImage& image, int x, int y, palette::Rgb want, int tolerance) {
    const QRgb pixel = image.pixel(x, y);
    EXPECT_EQ(qAlpha(pixel), 255) << x << "," << y;
    EXPECT_NEAR(qRed(pixel), want.r, tolerance) << x << "," << y;
    EXPECT_NEAR(qGreen(pixel), want.g, tolerance) << x << "," << y;
    EXPECT_NEAR(qBlue(pixel), want.b, tolerance) << x << "," << y;
}

}  // namespace

TEST(JpegDecoder, CommittedPanelBackgroundIsTheGradient) {
    const Bytes bytes = committedBackground();
    ASSERT_FALSE(bytes.empty());
    std::string error;
    const auto image = DecodeJpeg(bytes, &error);
    ASSERT_TRUE(image) << error;
    ASSERT_EQ(image->size(), QSize(palette::kPanelWidth, palette::kPanelHeight));
    ASSERT_EQ(image->format(), QImage::Format_RGB32);

    const int right = image->width() - 1, bottom = image->height() - 1;
    for (int x : {0, image->width() / 2, right}) {
        expectNear(*image, x, 0, palette::kPanelTop, 4);
        expectNear(*image, x, bottom, palette::kPanelBottom, 4);
    }
    // Every row is one colour: the window decodes only the first column and stretches it sideways.
    for (int y = 0; y <= bottom; ++y)
        for (int x = 1; x <= right; ++x) ASSERT_EQ(image->pixel(x, y), image->pixel(0, y)) << x << "," << y;
    const auto column = DecodeJpeg(bytes, &error, JpegColumns::FirstOnly);
    ASSERT_TRUE(column) << error;
    ASSERT_EQ(column->height(), image->height());
    for (int y = 0; y <= bottom; ++y) ASSERT_EQ(column->pixel(0, y), image->pixel(0, y)) << y;
    // Grey-green lightening downwards, row by row.
    int previous = -1;
    for (int y = 0; y <= bottom; y += 29) {
        const int green = qGreen(image->pixel(100, y));
        EXPECT_GT(green, previous) << y;
        previous = green;
    }
}

TEST(JpegDecoder, DecodesEveryLayoutToRgb) {
    const Encoding cases[] = {
        {1, 1, JCS_RGB, false},
        {16, 9, JCS_RGB, true},
        {8, 8, JCS_GRAYSCALE, false},
        {33, 17, JCS_GRAYSCALE, true},
        {kMaxJpegSide, 1, JCS_RGB, false},
        {1, kMaxJpegSide, JCS_RGB, false},
    };
    for (const Encoding& e : cases) {
        SCOPED_TRACE(testing::Message() << e.width << "x" << e.height << " space " << e.space);
        std::string error;
        const auto image = DecodeJpeg(encode(e, 100), &error);
        ASSERT_TRUE(image) << error;
        ASSERT_EQ(image->size(), QSize(e.width, e.height));
        ASSERT_EQ(image->format(), QImage::Format_RGB32);
        // A flat value 100 comes back as (nearly) the same grey in every channel.
        expectNear(*image, 0, 0, {100, 100, 100}, 3);
        expectNear(*image, e.width - 1, e.height - 1, {100, 100, 100}, 3);
        const auto column = DecodeJpeg(encode(e, 100), &error, JpegColumns::FirstOnly);
        ASSERT_TRUE(column) << error;
        ASSERT_EQ(column->height(), e.height);
        EXPECT_EQ(column->pixel(0, e.height - 1), image->pixel(0, e.height - 1));
    }
}

TEST(JpegDecoder, RefusesBadInputWithAReason) {
    const Bytes background = committedBackground();
    ASSERT_FALSE(background.empty());
    const Bytes small = encode({8, 8, JCS_RGB, false});
    const Bytes smallProgressive = encode({64, 64, JCS_RGB, true});

    Bytes garbage(4096);
    std::mt19937 rng(7);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(rng());
    Bytes garbageAfterStart = garbage;
    garbageAfterStart[0] = 0xFF;
    garbageAfterStart[1] = 0xD8;

    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason = nullptr;  // our own refusal, before any pixel is decoded
    };
    const Case cases[] = {
        {"empty", {}},
        {"start marker only", {0xFF, 0xD8}},
        {"garbage", garbage},
        {"garbage after a start marker", garbageAfterStart},
        {"background cut in half", Bytes(background.begin(), background.begin() + background.size() / 2)},
        {"background without its end marker", Bytes(background.begin(), background.end() - 2)},
        {"header only", Bytes(small.begin(), small.begin() + 200)},
        {"progressive cut short", Bytes(smallProgressive.begin(), smallProgressive.end() - 40)},
        {"one column too wide", withClaimedSize(encode({8, 1, JCS_RGB, false}), kMaxJpegSide + 1, 1),
         "too large"},
        {"one row too high", withClaimedSize(encode({1, 8, JCS_RGB, false}), 1, kMaxJpegSide + 1),
         "too large"},
        {"huge size", withClaimedSize(small, 60000, 60000), "too large"},
        {"largest size without its data", withClaimedSize(small, kMaxJpegSide, kMaxJpegSide)},
        {"largest progressive without its data",
         withClaimedSize(smallProgressive, kMaxJpegSide, kMaxJpegSide)},
        {"CMYK", encode({8, 8, JCS_CMYK, false})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(DecodeJpeg(c.bytes, &error));
        EXPECT_FALSE(error.empty());
        if (c.reason) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}
