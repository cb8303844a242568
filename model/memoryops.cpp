#include "model/memoryops.h"

#include <algorithm>

namespace corvane {

namespace {
void copySlot(MatrixState& state, int unit, int from, int to) {
    if (state.ReverseMode) {
        std::copy_n(state.ChannelRoute[unit][from], kChannels, state.ChannelRoute[unit][to]);
    } else {
        std::copy_n(state.LineRoute[unit][from], kLines, state.LineRoute[unit][to]);
    }
}
}  // namespace

void RecallMemory(MatrixState& state, int memory) {
    for (int u = 0; u < kUnits; ++u) {
        state.CurrentMemory[u] = static_cast<std::uint8_t>(memory);
        copySlot(state, u, memory + 1, kWorkMemory);
    }
}

void CopyWorkToMemory(MatrixState& state, int unit, int memory) {
    copySlot(state, unit, kWorkMemory, memory + 1);
}

void ClearWork(MatrixState& state, int unit) {
    if (state.ReverseMode) {
        std::fill_n(state.ChannelRoute[unit][kWorkMemory], kChannels, kNoLine);
    } else {
        std::fill_n(state.LineRoute[unit][kWorkMemory], kLines, kDisconnected);
    }
}

void ClearConfiguration(MatrixState& state, NameTable& names) {
    names.setDefaults();
    for (int u = 0; u < kUnits; ++u) {
        for (auto& slot : state.LineRoute[u])
            for (std::uint8_t& route : slot) route = kDisconnected;
        for (auto& slot : state.ChannelRoute[u])
            for (std::uint8_t& route : slot) route = kNoLine;
        state.CurrentMemory[u] = 0;
        state.UnsavedFlags[u] = 0;
    }
    state.MatrixLayout = 0;
    state.SelectedUnit = 0;
    state.ReverseMode = 0;
}

}  // namespace corvane
