#pragma once

#include <cstdint>

namespace corvane {

// Dimensions of the intercom system.
inline constexpr int kUnits = 4;  // 0 is the master, 1..3 the slaves
inline constexpr int kSlots = 6;  // slot 0 is the work memory, memory m lives in slot m + 1
inline constexpr int kLines = 16;
inline constexpr int kChannels = 4;
inline constexpr int kMemories = 5;
inline constexpr int kLayouts = 8;

inline constexpr int kWorkMemory = 0;
inline constexpr std::uint8_t kDisconnected = 4;  // LineRoute value: the line is on no channel
inline constexpr std::uint8_t kNoLine = 16;       // ChannelRoute value: the channel listens to no line

// The one model of all units. A plain record of bytes without gaps: matrix files store it
// byte for byte right after the name table.
struct MatrixState {
    std::uint8_t LineRoute[kUnits][kSlots][kLines];
    std::uint8_t ChannelRoute[kUnits][kSlots][kChannels];
    std::uint8_t CurrentMemory[kUnits];
    std::uint8_t MatrixLayout;
    std::uint8_t SlaveCount;
    std::uint8_t SelectedUnit;
    std::uint8_t ReverseMode;
    std::uint8_t UnsavedFlags[kUnits];
};

static_assert(sizeof(MatrixState) == 492, "MatrixState must stay a gapless byte record");

}  // namespace corvane
