#include "model/nametable.h"

#include <algorithm>
#include <cstring>

#include "model/matrixmodel.h"

namespace corvane {

namespace {

using Field = char[kNameFieldSize];

// A field that came from a file may hold no zero at all; the read then ends with the field.
std::string readField(const Field& field) {
    const void* zero = std::memchr(field, 0, kNameFieldSize);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : kNameFieldSize;
    return std::string(field, length);
}

// Bytes 15..19 are left alone: only a matrix file can put anything there.
void storeField(Field& field, std::string_view text) {
    const std::size_t length = std::min<std::size_t>(text.size(), kNameMaxLength);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, kNameMaxLength - length);
}

void copyField(Field& target, const Field& source) {
    storeField(target, readField(source));
}

void copyChannels(NameTable& t, int from, int to) {
    if (from == to) return;
    for (int e = 0; e < kChannelEntries; ++e) copyField(t.ChannelName[to][e], t.ChannelName[from][e]);
}

// The no-line column's name (entry 16) belongs to no unit group and is never copied.
void copyLines(NameTable& t, int from, int to) {
    if (from == to) return;
    for (int e = 0; e < kLines; ++e) copyField(t.LineName[to][e], t.LineName[from][e]);
}

}  // namespace

std::string NameTable::lineName(int unit, int entry) const {
    if (!IsUnit(unit) || entry < 0 || entry >= kLineEntries) return {};
    return readField(LineName[unit][entry]);
}

std::string NameTable::channelName(int unit, int entry) const {
    if (!IsUnit(unit) || entry < 0 || entry >= kChannelEntries) return {};
    return readField(ChannelName[unit][entry]);
}

void NameTable::setLineName(int unit, int entry, std::string_view text) {
    if (!IsUnit(unit) || entry < 0 || entry >= kLineEntries) return;
    storeField(LineName[unit][entry], text);
}

void NameTable::setChannelName(int unit, int entry, std::string_view text) {
    if (!IsUnit(unit) || entry < 0 || entry >= kChannelEntries) return;
    storeField(ChannelName[unit][entry], text);
}

void NameTable::setDefaults() {
    for (int u = 0; u < kUnits; ++u) {
        for (int l = 0; l < kLines; ++l) {
            const int number = l + 1;
            setLineName(u, l, (number < 10 ? "Line 0" : "Line ") + std::to_string(number));
        }
        for (int c = 0; c < kChannels; ++c) setChannelName(u, c, "Channel 0" + std::to_string(c + 1));
        setChannelName(u, kDisconnectedEntry, "Disconnected");
    }
}

void NameTable::shareAfterEdit(int s, int layout) {
    // The settings or a file may name a unit beyond the arrangement; the rules hold for it as
    // well, but a value that is no unit at all has no names to give.
    if (!IsUnit(s)) return;

    switch (layout) {
        case 1:
            if (s == 0)
                copyChannels(*this, 0, 1);
            else
                copyChannels(*this, 1, 0);
            break;
        case 2:
        case 3:
            for (int u = 0; u <= layout; ++u) copyChannels(*this, s, u);
            break;
        case 7:
            copyChannels(*this, s, s ^ 1);  // side by side in the same row
            break;
        default:
            break;
    }

    switch (layout) {
        case 4:
            if (s == 0)
                copyLines(*this, 0, 1);
            else
                copyLines(*this, 1, 0);
            break;
        case 5:
        case 6:
            for (int u = 0; u <= layout - 3; ++u) copyLines(*this, s, u);
            break;
        case 7:
            copyLines(*this, s, s ^ 2);  // one above the other in the same column
            break;
        default:
            break;
    }
}

void NameTable::shareOnArrangement(int layout) {
    switch (layout) {
        case 1:
        case 2:
        case 3:
            for (int u = 1; u <= layout; ++u) copyChannels(*this, 0, u);
            break;
        case 4:
        case 5:
        case 6:
            for (int u = 1; u <= layout - 3; ++u) copyLines(*this, 0, u);
            break;
        case 7:
            copyChannels(*this, 0, 1);
            copyChannels(*this, 2, 3);
            copyLines(*this, 0, 2);
            copyLines(*this, 1, 3);
            break;
        default:
            break;
    }
}

}  // namespace corvane
