#include "remote/remotefeedback.h"

#include <lo/lo.h>

#include <algorithm>
#include <string>

namespace corvane {

namespace {

constexpr int kRouteItems = 0;
constexpr int kChannelItems = kRouteItems + kUnits * kLines;
constexpr int kMemoryItems = kChannelItems + kUnits * kChannels;
constexpr int kUnsavedItems = kMemoryItems + kUnits;
constexpr int kReverseItem = kUnsavedItems + kUnits;
constexpr int kUnitItem = kReverseItem + 1;
constexpr int kLayoutItem = kUnitItem + 1;
constexpr int kRecalledItems = kLayoutItem + 1;
static_assert(kRecalledItems + kMemories == kFeedbackItems);

// Bytes from files or the unit may lie outside the ranges; such a value shows as 0 ("none").
int counted(int value, int limit) {
    return value >= 0 && value < limit ? value + 1 : 0;
}

OscPacket encode(const std::string& address, std::initializer_list<int> args) {
    lo_message message = lo_message_new();
    for (int a : args) lo_message_add_int32(message, a);
    std::size_t size = 0;
    void* bytes = lo_message_serialise(message, address.c_str(), nullptr, &size);
    OscPacket packet(static_cast<std::uint8_t*>(bytes), static_cast<std::uint8_t*>(bytes) + size);
    std::free(bytes);
    lo_message_free(message);
    return packet;
}

std::string number(int n) {
    return std::to_string(n);
}

}  // namespace

FeedbackValues feedbackValues(const MatrixModel& model) {
    FeedbackValues v;
    v.fill(kAbsent);
    const int units = std::min(model.slaveCount(), kUnits - 1) + 1;
    for (int u = 0; u < units; ++u) {
        for (int l = 0; l < kLines; ++l)
            v[static_cast<std::size_t>(kRouteItems + u * kLines + l)] =
                counted(model.lineRoute(u, kWorkMemory, l), 4);
        for (int c = 0; c < kChannels; ++c)
            v[static_cast<std::size_t>(kChannelItems + u * kChannels + c)] =
                counted(model.channelRoute(u, kWorkMemory, c), kLines);
        v[static_cast<std::size_t>(kMemoryItems + u)] = counted(model.currentMemory(u), kMemories);
        v[static_cast<std::size_t>(kUnsavedItems + u)] = model.unsaved(u) ? 1 : 0;
    }
    v[kReverseItem] = model.isReverse() ? 1 : 0;
    v[kUnitItem] = counted(model.selectedUnit(), kUnits);
    v[kLayoutItem] = counted(model.layout(), kLayouts);
    // The memory lamps of the window: the selected unit's memory.
    const int memory = counted(model.currentMemory(model.selectedUnit()), kMemories);
    for (int m = 1; m <= kMemories; ++m)
        v[static_cast<std::size_t>(kRecalledItems + m - 1)] = memory == m ? 1 : 0;
    return v;
}

void appendFeedback(int item, int value, std::vector<OscPacket>& out) {
    if (value == kAbsent) return;
    if (item < kChannelItems) {
        const int unit = (item - kRouteItems) / kLines + 1;
        const int line = (item - kRouteItems) % kLines + 1;
        out.push_back(encode("/corvane/state/route", {unit, line, value}));
        out.push_back(encode("/corvane/state/route/" + number(unit) + "/" + number(line), {value}));
    } else if (item < kMemoryItems) {
        const int unit = (item - kChannelItems) / kChannels + 1;
        const int channel = (item - kChannelItems) % kChannels + 1;
        out.push_back(encode("/corvane/state/channel", {unit, channel, value}));
        out.push_back(encode("/corvane/state/channel/" + number(unit) + "/" + number(channel), {value}));
    } else if (item < kUnsavedItems) {
        out.push_back(encode("/corvane/state/memory", {item - kMemoryItems + 1, value}));
    } else if (item < kReverseItem) {
        out.push_back(encode("/corvane/state/unsaved", {item - kUnsavedItems + 1, value}));
    } else if (item == kReverseItem) {
        out.push_back(encode("/corvane/state/reverse", {value}));
    } else if (item == kUnitItem) {
        out.push_back(encode("/corvane/state/unit", {value}));
    } else if (item == kLayoutItem) {
        out.push_back(encode("/corvane/state/layout", {value}));
    } else {
        out.push_back(encode("/corvane/state/recalled/" + number(item - kRecalledItems + 1), {value}));
    }
}

std::vector<OscPacket> feedbackMessages(const FeedbackValues& values, const FeedbackValues* previous) {
    std::vector<OscPacket> out;
    for (int i = 0; i < kFeedbackItems; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!previous || (*previous)[k] != values[k]) appendFeedback(i, values[k], out);
    }
    return out;
}

}  // namespace corvane
