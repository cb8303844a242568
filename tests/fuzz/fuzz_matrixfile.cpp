#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "storage/matrixfile.h"

using namespace corvane;

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

// Reads every name and table entry the grid, the unit panels, the memory indicators and the
// settings would, indexing by the loaded values as they do.
void readAsTheViewsDo(const NameTable& names, const MatrixState& state) {
    check(state.SelectedUnit < kUnits && state.SelectedUnit <= state.SlaveCount);
    std::size_t total = 0;
    for (int u = 0; u < kUnits; ++u) {
        for (int s = 0; s < kSlots; ++s) {
            for (int l = 0; l < kLines; ++l) {
                const std::uint8_t channel = state.LineRoute[u][s][l];
                check(channel < kChannelEntries);
                total += names.channelName(u, channel).size() + names.lineName(u, l).size();
            }
            for (int c = 0; c < kChannels; ++c) {
                const std::uint8_t line = state.ChannelRoute[u][s][c];
                check(line < kLineEntries);
                total += names.lineName(u, line).size() + names.channelName(u, c).size();
            }
        }
        check(state.CurrentMemory[u] < kMemories);
        check(state.UnsavedFlags[u] <= 1);
        for (const auto& field : names.LineName[u]) check(std::memchr(field, 0, kNameFieldSize) != nullptr);
        for (const auto& field : names.ChannelName[u])
            check(std::memchr(field, 0, kNameFieldSize) != nullptr);
    }
    check(total <= std::size_t{kUnits} * kSlots * (kLines + kChannels) * 2 * kNameMaxLength);
}

}  // namespace

// Whatever a file holds, loading it must keep every later step inside its tables, and what the
// program then saves must load back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MatrixFileLoad loaded = DecodeMatrixFile(std::span(data, size));
    if (!loaded.ok()) {
        check(size < static_cast<std::size_t>(kMatrixFileSize) ||
              loaded.status == MatrixFileStatus::ChecksumError);
        return 0;
    }
    check(size >= static_cast<std::size_t>(kMatrixFileSize));

    NameTable names{};
    MatrixState state{};
    state.SlaveCount = size % 4;
    ApplyMatrixFile(loaded.contents, names, state);
    check(state.SlaveCount == size % 4);
    readAsTheViewsDo(names, state);

    // The arrangement code shares names by the loaded layout and unit.
    names.shareOnArrangement(state.MatrixLayout);
    names.shareAfterEdit(state.SelectedUnit, state.MatrixLayout);
    readAsTheViewsDo(names, state);

    const MatrixFileBytes saved = EncodeMatrixFile(names, state);
    const MatrixFileLoad again = DecodeMatrixFile(saved);
    check(again.ok());
    NameTable names2{};
    MatrixState state2{};
    state2.SlaveCount = state.SlaveCount;
    ApplyMatrixFile(again.contents, names2, state2);
    check(EncodeMatrixFile(names2, state2) == saved);
    return 0;
}
