#include <gtest/gtest.h>

#include <QImage>

#include <string>

#include "view/unitmap.h"

using namespace corvane;

namespace {

const QColor kBackground(0, 0, 255);
const QColor kFace(200, 201, 202);

// One character per pixel: '.' background, '#' outline, 'L' lime, 'g' grey, 's' shadow.
std::string pixels(const QImage& image, int left, int top, int width, int height) {
    std::string out;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            const QRgb p = image.pixel(x, y);
            char c = '?';
            if (p == kBackground.rgb())
                c = '.';
            else if (p == qRgb(0, 0, 0))
                c = '#';
            else if (p == qRgb(0, 255, 0))
                c = 'L';
            else if (p == qRgb(128, 128, 128))
                c = 'g';
            else if (p == kFace.rgb())
                c = 's';
            out += c;
        }
        out += '\n';
    }
    return out;
}

QImage picture() {
    QImage image(kUnitPictureWidth, kUnitPictureHeight, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

MatrixState allOpen() {
    MatrixState s{};
    for (int u = 0; u < kUnits; ++u) {
        for (int slot = 0; slot < kSlots; ++slot) {
            for (int l = 0; l < kLines; ++l) s.LineRoute[u][slot][l] = kDisconnected;
            for (int c = 0; c < kChannels; ++c) s.ChannelRoute[u][slot][c] = kNoLine;
        }
    }
    return s;
}

// A connected dot next to an open one, each with its shadow to the lower right; the pitch is 8.
const char* const kLitThenOpen =
    ".####....####...\n"
    "#LLLL#..#gggg#..\n"
    "#LLLL#s.#gggg#s.\n"
    "#LLLL#s.#gggg#s.\n"
    "#LLLL#s.#gggg#s.\n"
    ".####ss..####ss.\n"
    "..ssss....ssss..\n"
    "................\n";

}  // namespace

TEST(UnitMap, NormalRoutingDrawsFiveRowsOfSixteenLines) {
    MatrixState s = allOpen();
    s.LineRoute[2][0][0] = 3;   // line 1 on channel 4
    s.LineRoute[2][0][15] = 0;  // line 16 on channel 1
    s.LineRoute[2][1][1] = 3;   // memories never show
    s.LineRoute[1][0][1] = 3;   // nor other units
    QImage image = picture();
    DrawUnitMap(image, MatrixModel(s), 2, kFace);

    EXPECT_EQ(pixels(image, 0, 24, 16, 8), kLitThenOpen);
    // Line 16 on channel 1, at the right edge: its outline is the picture's last column.
    EXPECT_EQ(pixels(image, 120, 2, 6, 1), "#LLLL#\n");
    // Disconnected row: line 2 lit there, line 1 not.
    EXPECT_EQ(image.pixel(2, 34), qRgb(128, 128, 128));
    EXPECT_EQ(image.pixel(10, 34), qRgb(0, 255, 0));
    EXPECT_EQ(pixels(image, 0, 38, 8, 2), "..ssss..\n........\n");
}

TEST(UnitMap, ReverseRoutingDrawsFourRowsAndLosesTheNoLineColumn) {
    MatrixState s = allOpen();
    s.ReverseMode = 1;
    s.ChannelRoute[0][0][1] = 14;  // channel 2 listens to line 15
    s.ChannelRoute[0][0][2] = 15;  // channel 3 to line 16
    s.LineRoute[0][0][0] = 0;      // the normal table is not drawn
    QImage image = picture();
    DrawUnitMap(image, MatrixModel(s), 0, kFace);

    EXPECT_EQ(pixels(image, 112, 8, 14, 1), ".####....####.\n");
    EXPECT_EQ(pixels(image, 112, 9, 14, 1), "#LLLL#..#gggg#\n");
    EXPECT_EQ(pixels(image, 112, 17, 14, 1), "#gggg#..#LLLL#\n");
    EXPECT_EQ(image.pixel(2, 2), qRgb(128, 128, 128));
    // The no-line column would start at x 128: nothing of it lands on the picture.
    EXPECT_EQ(image.width(), kUnitPictureWidth);
    // Four rows only: nothing below y 32 but the last shadows.
    EXPECT_EQ(pixels(image, 0, 32, 8, 8),
              "........\n........\n........\n........\n........\n........\n"
              "........\n........\n");
    EXPECT_EQ(pixels(image, 0, 30, 8, 2), "..ssss..\n........\n");
}

TEST(UnitMap, NoLineColumnIsConnectedButUnseen) {
    MatrixState s = allOpen();
    s.ReverseMode = 1;
    EXPECT_TRUE(MatrixModel(s).isLit(1, kWorkMemory, 3, 16));
    EXPECT_FALSE(MatrixModel(s).isLit(1, kWorkMemory, 3, 15));
    s.ReverseMode = 0;
    EXPECT_TRUE(MatrixModel(s).isLit(1, kWorkMemory, 4, 15));
    EXPECT_FALSE(MatrixModel(s).isLit(1, kWorkMemory, 4, 16));  // no 17th line
    EXPECT_FALSE(MatrixModel(s).isLit(4, kWorkMemory, 4, 0));
}
