#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/matrixmodel.h"

namespace corvane {

// Everything subscribers follow, as one number each in operator counting: the route of every
// line and channel of every unit's work memory, every unit's memory and unsaved flag, the
// orientation, the selected unit, the arrangement and the five memory lamps. A unit that is not
// present has no values (kAbsent) and sends nothing.
inline constexpr int kFeedbackItems = kUnits * kLines + kUnits * kChannels + 2 * kUnits + 3 + kMemories;
inline constexpr int kAbsent = -1;
using FeedbackValues = std::array<int, kFeedbackItems>;

FeedbackValues feedbackValues(const MatrixModel& model);

// One OSC message, ready to send.
using OscPacket = std::vector<std::uint8_t>;

// Appends the messages that tell item's value to out (nothing for kAbsent).
void appendFeedback(int item, int value, std::vector<OscPacket>& out);

// All messages for the values that differ from the previous ones; everything when there are none.
std::vector<OscPacket> feedbackMessages(const FeedbackValues& values, const FeedbackValues* previous);

}  // namespace corvane
