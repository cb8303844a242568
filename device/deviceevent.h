#pragma once

#include <array>
#include <cstdint>

namespace corvane {

// The 8-byte reply of PollEvent: a code and two arguments, bytes 3..7 unused.
using DeviceEvent = std::array<std::uint8_t, 8>;

enum class EventCode : std::uint8_t {
    ReverseChanged = 5,  // byte 1: 0 normal, non-zero reverse
    MemoryRecalled = 6,  // byte 2: memory
    UnsavedChanged = 7,  // byte 1: bit u = unsaved flag of unit u
    MemoryStored = 8,    // byte 1: unit, byte 2: memory
    RouteChanged = 9,    // byte 1: column, byte 2: unit << 4 | row
    MemoryCleared = 10,  // byte 1: unit
    ImageChanged = 11,
};

constexpr DeviceEvent MakeEvent(EventCode code, std::uint8_t arg1 = 0, std::uint8_t arg2 = 0) {
    return DeviceEvent{static_cast<std::uint8_t>(code), arg1, arg2, 0, 0, 0, 0, 0};
}

}  // namespace corvane
