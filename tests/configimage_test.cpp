#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "device/configimage.h"

using namespace corvane;

namespace {

MatrixState decode(const ImageBuffer& b) {
    MatrixState s{};
    DecodeConfigImage(s, b);
    return s;
}

// A state every field of which survives the trip through the image.
MatrixState randomState(std::mt19937& rng) {
    MatrixState s{};
    for (auto& unit : s.LineRoute)
        for (auto& slot : unit)
            for (auto& v : slot) v = rng() % 5;
    for (int u = 0; u < kUnits; ++u)
        for (int sl = 0; sl < kSlots; ++sl)
            for (int c = 0; c < kChannels; ++c) s.ChannelRoute[u][sl][c] = rng() % 17;
    for (auto& m : s.CurrentMemory) m = rng() % 5;
    s.SlaveCount = rng() % 4;
    s.ReverseMode = rng() % 2;
    return s;
}

}  // namespace

TEST(ConfigImageDecode, LineByteClampsAndMarksChannel) {
    ImageBuffer b{};
    b[image::lineGroup(1, 2)] = 0x8C;
    const MatrixState s = decode(b);
    EXPECT_EQ(s.LineRoute[1][2][0], 4);  // 12 is clamped to Disconnected
    EXPECT_EQ(s.LineRoute[1][2][1], 0);
    EXPECT_EQ(s.ChannelRoute[1][2][0], kNoLine);
    EXPECT_EQ(s.ChannelRoute[1][2][1], 0);
}

TEST(ConfigImageDecode, NoneMarksOnlyInFirstFourBytesOfLineGroup) {
    ImageBuffer b{};
    for (int k = 0; k < 8; ++k) b[image::lineGroup(0, 0) + k] = 0x80 | 0x21;
    const MatrixState s = decode(b);
    for (int c = 0; c < kChannels; ++c) EXPECT_EQ(s.ChannelRoute[0][0][c], kNoLine) << c;
    for (int l = 0; l < kLines; ++l) EXPECT_EQ(s.LineRoute[0][0][l], l % 2 ? 2 : 1) << l;
}

TEST(ConfigImageDecode, HeaderBytes) {
    struct Case {
        std::uint8_t b0, b1, b227, b228;
        std::uint8_t reverse, mem0, mem1, slaves;
        std::uint8_t unsaved[4];
    };
    const Case cases[] = {
        {0, 0x75, 4, 0xF5, 0, 0, 0, 0, {1, 0, 1, 0}},
        {2, 0x42, 3, 0x0A, 2, 2, 4, 3, {0, 1, 0, 1}},
        {3, 0x00, 1, 0x00, 1, 0, 0, 1, {0, 0, 0, 0}},
        {1, 0x11, 0, 0xFF, 1, 1, 1, 0, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        ImageBuffer b{};
        b[0] = c.b0;
        b[1] = c.b1;
        b[227] = c.b227;
        b[228] = c.b228;
        const MatrixState s = decode(b);
        EXPECT_EQ(s.ReverseMode, c.reverse);
        EXPECT_EQ(s.CurrentMemory[0], c.mem0);
        EXPECT_EQ(s.CurrentMemory[1], c.mem1);
        EXPECT_EQ(s.SlaveCount, c.slaves);
        for (int u = 0; u < kUnits; ++u) EXPECT_EQ(s.UnsavedFlags[u], c.unsaved[u]) << u;
    }
}

TEST(ConfigImageDecode, ChannelGroupsBeyondTheImage) {
    ImageBuffer b{};
    b[227] = 0x21;                        // unit 2 slot 4 channels 0 and 1 share the slave-count byte
    b[228] = 0x43;                        // ... and channels 2 and 3 the unsaved byte
    b[image::channelGroup(3, 5)] = 0x9A;  // position 241, read from the receive buffer
    b[image::lineGroup(3, 5) + 1] = 0x80;
    const MatrixState s = decode(b);
    EXPECT_EQ(s.ChannelRoute[2][4][0], 1);
    EXPECT_EQ(s.ChannelRoute[2][4][1], 2);
    EXPECT_EQ(s.ChannelRoute[2][4][2], 3);
    EXPECT_EQ(s.ChannelRoute[2][4][3], 4);
    EXPECT_EQ(s.ChannelRoute[3][5][0], 0xA);
    EXPECT_EQ(s.ChannelRoute[3][5][1], kNoLine);
}

TEST(ConfigImageDecode, KeepsLayoutAndSelectedUnit) {
    ImageBuffer b;
    b.fill(0xFF);
    MatrixState s{};
    s.MatrixLayout = 7;
    s.SelectedUnit = 3;
    DecodeConfigImage(s, b);
    EXPECT_EQ(s.MatrixLayout, 7);
    EXPECT_EQ(s.SelectedUnit, 3);
    EXPECT_EQ(s.ReverseMode, 1);
    EXPECT_EQ(s.LineRoute[3][5][15], 4);
}

TEST(ConfigImageEncode, NoneMarkAndTrailer) {
    MatrixState s{};
    s.ChannelRoute[0][1][2] = kNoLine;
    s.ChannelRoute[0][1][3] = 9;
    s.LineRoute[0][1][4] = 3;
    s.LineRoute[0][1][5] = 4;
    s.SlaveCount = 2;
    s.UnsavedFlags[0] = 1;
    s.ReverseMode = 2;
    s.ChannelRoute[2][4][0] = 7;  // falls on 227/228, which carry other bytes
    const ImageBuffer b = EncodeConfigImage(s);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(b[image::lineGroup(0, 1) + 2], 0x80 | 0x43);
    EXPECT_EQ(b[image::channelGroup(0, 1) + 1], 0x90);
    EXPECT_EQ(b[227], 2);
    EXPECT_EQ(b[228], 0);
}

TEST(ConfigImage, RoundTripKeepsEverythingTheImageCarries) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        MatrixState in = randomState(rng);
        const ImageBuffer b = EncodeConfigImage(in);
        MatrixState out{};
        DecodeConfigImage(out, b);
        EXPECT_EQ(out.ReverseMode, in.ReverseMode);
        EXPECT_EQ(0, std::memcmp(out.CurrentMemory, in.CurrentMemory, sizeof in.CurrentMemory));
        EXPECT_EQ(0, std::memcmp(out.LineRoute, in.LineRoute, sizeof in.LineRoute));
        EXPECT_EQ(out.SlaveCount, in.SlaveCount);
        // The channel numbers of unit 2 slot 5 and of unit 3 never fit in the image; their none marks do.
        for (int u = 0; u < kUnits; ++u)
            for (int sl = 0; sl < kSlots; ++sl)
                for (int c = 0; c < kChannels; ++c) {
                    const bool lost = (u == 2 && sl >= 4) || u == 3;
                    if (!lost || in.ChannelRoute[u][sl][c] == kNoLine) {
                        EXPECT_EQ(out.ChannelRoute[u][sl][c], in.ChannelRoute[u][sl][c]) << u << sl << c;
                    }
                }
    }
}

TEST(ConfigImage, DecodeOfEncodeIsStable) {
    // Whatever arrives from the unit, sending it back and reading it again changes nothing more.
    std::mt19937 rng(11);
    for (int i = 0; i < 200; ++i) {
        ImageBuffer raw;
        for (auto& byte : raw) byte = rng();
        MatrixState first{};
        DecodeConfigImage(first, raw);
        ImageBuffer sent = EncodeConfigImage(first);
        MatrixState second{};
        DecodeConfigImage(second, sent);
        EXPECT_EQ(0, std::memcmp(second.LineRoute, first.LineRoute, sizeof first.LineRoute));
        EXPECT_EQ(second.ReverseMode, first.ReverseMode);
    }
}
