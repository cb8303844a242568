#include <gtest/gtest.h>

#include <QFile>
#include <random>
#include <string>
#include <vector>

#include "tools/makepictures/jpegencoder.h"
#include "tools/makepictures/palette.h"
#include "view/jpegdecoder.h"

using namespace corvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encoding {
    int width, height;
    JpegColours colours;
    bool progressive;
};

// A picture of one colour, encoded by libjpeg itself.
Bytes encode(const Encoding& e, std::uint8_t value = 100) {
    JpegSettings settings;
    settings.width = e.width;
    settings.height = e.height;
    settings.colours = e.colours;
    settings.progressive = e.progressive;
    const Bytes row(static_cast<std::size_t>(e.width * JpegComponents(e.colours)), value);
    return EncodeJpeg(settings, [&row](int) { return row.data(); });
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
        {1, 1, JpegColours::Rgb, false},
        {16, 9, JpegColours::Rgb, true},
        {8, 8, JpegColours::Grey, false},
        {33, 17, JpegColours::Grey, true},
        {kMaxJpegSide, 1, JpegColours::Rgb, false},
        {1, kMaxJpegSide, JpegColours::Rgb, false},
    };
    for (const Encoding& e : cases) {
        SCOPED_TRACE(testing::Message()
                     << e.width << "x" << e.height << " colours " << static_cast<int>(e.colours));
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
    const Bytes small = encode({8, 8, JpegColours::Rgb, false});
    const Bytes smallProgressive = encode({64, 64, JpegColours::Rgb, true});

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
        {"one column too wide", withClaimedSize(encode({8, 1, JpegColours::Rgb, false}), kMaxJpegSide + 1, 1),
         "too large"},
        {"one row too high", withClaimedSize(encode({1, 8, JpegColours::Rgb, false}), 1, kMaxJpegSide + 1),
         "too large"},
        {"huge size", withClaimedSize(small, 60000, 60000), "too large"},
        {"largest size without its data", withClaimedSize(small, kMaxJpegSide, kMaxJpegSide)},
        {"largest progressive without its data",
         withClaimedSize(smallProgressive, kMaxJpegSide, kMaxJpegSide)},
        {"CMYK", encode({8, 8, JpegColours::Cmyk, false})},
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
