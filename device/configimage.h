#pragma once

#include <array>
#include <cstdint>

#include "model/matrixstate.h"

namespace corvane {

// The 229-byte image of MatrixState exchanged with the master unit.
inline constexpr int kConfigImageSize = 229;
// Every image transfer uses a 256-byte buffer. Decoding reads up to position 242: the channel
// block is laid out as if it had 48 bytes although the image ends at 228.
inline constexpr int kImageBufferSize = 256;
using ImageBuffer = std::array<std::uint8_t, kImageBufferSize>;

namespace image {
inline constexpr int kReverseMode = 0;
inline constexpr int kCurrentMemory = 1;   // two bytes, two units each
inline constexpr int kLineBlock = 3;       // 8 bytes per unit and slot
inline constexpr int kChannelBlock = 195;  // 2 bytes per unit and slot
inline constexpr int kSlaveCount = 227;
inline constexpr int kUnsavedFlags = 228;

constexpr int lineGroup(int unit, int slot) {
    return kLineBlock + 48 * unit + 8 * slot;
}
constexpr int channelGroup(int unit, int slot) {
    return kChannelBlock + 12 * unit + 2 * slot;
}
}  // namespace image

// Overwrites every field of the state except MatrixLayout and SelectedUnit, clamping what the
// unit may send out of range. Bytes past the image are read as the layout demands.
void DecodeConfigImage(MatrixState& state, const ImageBuffer& buffer);

// Builds the image the program sends: bytes 0..228 are meaningful, 227 is the slave count and
// 228 is always 0, overwriting the channel group of unit 2 slot 4 that falls there.
ImageBuffer EncodeConfigImage(const MatrixState& state);

}  // namespace corvane
