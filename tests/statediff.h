#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "model/matrixstate.h"

// Whole-model comparisons that name what differs, field by field, instead of only saying so.
inline ::testing::AssertionResult SameState(const corvane::MatrixState& expected,
                                            const corvane::MatrixState& actual) {
    using namespace corvane;
    std::ostringstream out;
    int found = 0;
    const auto field = [&](const std::string& name, int a, int b) {
        if (a == b) return;
        if (++found <= 20) out << "\n  " << name << ": expected " << a << ", is " << b;
    };
    for (int u = 0; u < kUnits; ++u) {
        for (int s = 0; s < kSlots; ++s) {
            for (int l = 0; l < kLines; ++l)
                field("LineRoute[" + std::to_string(u) + "][" + std::to_string(s) + "][" + std::to_string(l) +
                          "]",
                      expected.LineRoute[u][s][l], actual.LineRoute[u][s][l]);
            for (int c = 0; c < kChannels; ++c)
                field("ChannelRoute[" + std::to_string(u) + "][" + std::to_string(s) + "][" +
                          std::to_string(c) + "]",
                      expected.ChannelRoute[u][s][c], actual.ChannelRoute[u][s][c]);
        }
        field("CurrentMemory[" + std::to_string(u) + "]", expected.CurrentMemory[u], actual.CurrentMemory[u]);
        field("UnsavedFlags[" + std::to_string(u) + "]", expected.UnsavedFlags[u], actual.UnsavedFlags[u]);
    }
    field("MatrixLayout", expected.MatrixLayout, actual.MatrixLayout);
    field("SlaveCount", expected.SlaveCount, actual.SlaveCount);
    field("SelectedUnit", expected.SelectedUnit, actual.SelectedUnit);
    field("ReverseMode", expected.ReverseMode, actual.ReverseMode);
    if (found == 0) return ::testing::AssertionSuccess();
    if (found > 20) out << "\n  and " << found - 20 << " more";
    return ::testing::AssertionFailure() << found << " fields differ:" << out.str();
}
