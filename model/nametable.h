#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/matrixstate.h"

namespace corvane {

inline constexpr int kNameFieldSize = 20;
inline constexpr int kNameMaxLength = 15;
inline constexpr int kLineEntries = 17;    // lines 0..15, entry 16 names the no-line column
inline constexpr int kChannelEntries = 5;  // channels 0..3, entry 4 names the Disconnected row
inline constexpr int kNoLineEntry = 16;
inline constexpr int kDisconnectedEntry = 4;

// The names of every unit's lines and channels: fixed 20-byte fields of single-byte text, a
// terminating zero and zero fill. Matrix files store the table byte for byte.
struct NameTable {
    char LineName[kUnits][kLineEntries][kNameFieldSize];
    char ChannelName[kUnits][kChannelEntries][kNameFieldSize];

    // Reads up to the terminating zero, never past the field. A unit or entry out of range reads
    // as the empty name and stores nothing.
    std::string lineName(int unit, int entry) const;
    std::string channelName(int unit, int entry) const;
    // Stores the first 15 characters and zeros in the rest of the first 15 bytes.
    void setLineName(int unit, int entry, std::string_view text);
    void setChannelName(int unit, int entry, std::string_view text);

    // "Line 01".."Line 16", "Channel 01".."Channel 04" and "Disconnected" for every unit; the
    // no-line column's name keeps its value.
    void setDefaults();
    // Copies the selected unit's names into the units the arrangement joins with it. Layouts
    // other than 0..7 and units other than 0..3 change nothing.
    void shareAfterEdit(int selectedUnit, int layout);
    // Copies each group's names from its lowest-numbered unit.
    void shareOnArrangement(int layout);
};

// The names of one unit's lines and channels as an operator typed them.
struct UnitNames {
    std::array<std::string, kLines> lines;
    std::array<std::string, kChannels> channels;
};

static_assert(sizeof(NameTable) == 1760, "NameTable must stay a gapless byte record");

}  // namespace corvane
