#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "device/configimage.h"

// Whatever a unit sends, decoding must stay inside the buffer and yield values in range.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    corvane::ImageBuffer buffer{};
    std::copy_n(data, std::min(size, buffer.size()), buffer.begin());
    corvane::MatrixState state{};
    corvane::DecodeConfigImage(state, buffer);
    for (const auto& unit : state.LineRoute)
        for (const auto& slot : unit)
            for (std::uint8_t v : slot)
                if (v > corvane::kDisconnected) __builtin_trap();
    if (state.SlaveCount > 3) __builtin_trap();
    corvane::ImageBuffer again = corvane::EncodeConfigImage(state);
    corvane::MatrixState second{};
    corvane::DecodeConfigImage(second, again);
    return 0;
}
