#include "device/configimage.h"

#include "model/matrixmodel.h"

namespace corvane {

namespace {
std::uint8_t clampRoute(std::uint8_t v) {
    return v > kDisconnected ? kDisconnected : v;
}
}  // namespace

void DecodeConfigImage(MatrixState& state, const ImageBuffer& b) {
    state.ReverseMode = b[image::kReverseMode];
    if (b[image::kReverseMode] & 0x01) state.ReverseMode = 1;

    state.CurrentMemory[0] = ClampedMemory(b[image::kCurrentMemory] & 0x0F);
    state.CurrentMemory[1] = ClampedMemory(b[image::kCurrentMemory] >> 4);
    state.CurrentMemory[2] = ClampedMemory(b[image::kCurrentMemory + 1] & 0x0F);
    state.CurrentMemory[3] = ClampedMemory(b[image::kCurrentMemory + 1] >> 4);

    for (int u = 0; u < kUnits; ++u) {
        for (int s = 0; s < kSlots; ++s) {
            bool noLine[kChannels] = {};
            for (int k = 0; k < 8; ++k) {
                const std::uint8_t byte = b[image::lineGroup(u, s) + k];
                state.LineRoute[u][s][2 * k] = clampRoute(byte & 0x0F);
                std::uint8_t high = byte >> 4;
                if (high & 0x08) {
                    // Bit 7 of the first four bytes is the none mark of the channel of that number.
                    if (k < kChannels) noLine[k] = true;
                    high &= 0x07;
                }
                state.LineRoute[u][s][2 * k + 1] = clampRoute(high);
            }
            for (int j = 0; j < 2; ++j) {
                const std::uint8_t c = b[image::channelGroup(u, s) + j];
                state.ChannelRoute[u][s][2 * j] = noLine[2 * j] ? kNoLine : (c & 0x0F);
                state.ChannelRoute[u][s][2 * j + 1] = noLine[2 * j + 1] ? kNoLine : (c >> 4);
            }
        }
    }

    state.SlaveCount = b[image::kSlaveCount] > 3 ? 0 : b[image::kSlaveCount];
    for (int u = 0; u < kUnits; ++u) state.UnsavedFlags[u] = (b[image::kUnsavedFlags] >> u) & 0x01;
}

ImageBuffer EncodeConfigImage(const MatrixState& state) {
    ImageBuffer b{};
    b[image::kReverseMode] = state.ReverseMode;
    b[image::kCurrentMemory] = (state.CurrentMemory[0] & 0x0F) | (state.CurrentMemory[1] & 0x0F) << 4;
    b[image::kCurrentMemory + 1] = (state.CurrentMemory[2] & 0x0F) | (state.CurrentMemory[3] & 0x0F) << 4;

    for (int u = 0; u < kUnits; ++u) {
        for (int s = 0; s < kSlots; ++s) {
            const int line = image::lineGroup(u, s);
            for (int k = 0; k < 8; ++k) {
                b[line + k] =
                    (state.LineRoute[u][s][2 * k] & 0x0F) | (state.LineRoute[u][s][2 * k + 1] & 0x0F) << 4;
            }
            for (int j = 0; j < 2; ++j) {
                std::uint8_t packed = 0;
                for (int half = 0; half < 2; ++half) {
                    const int channel = 2 * j + half;
                    const std::uint8_t e = state.ChannelRoute[u][s][channel];
                    if (e < kNoLine) {
                        packed |= (e & 0x0F) << (4 * half);
                    } else {
                        b[line + channel] |= 0x80;
                    }
                }
                b[image::channelGroup(u, s) + j] = packed;
            }
        }
    }

    b[image::kSlaveCount] = state.SlaveCount;
    b[image::kUnsavedFlags] = 0;
    return b;
}

}  // namespace corvane
