#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// One control transfer as a device received it, with the result it gave back.
struct UsbRequest {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
    std::vector<std::uint8_t> data;  // host-to-device data stage
    int result = 0;

    bool hostToDevice() const { return (requestType & 0x80) == 0; }
};

// "c0 04 0021 0005 8", followed by the data of a host-to-device transfer as one run of hex.
std::string TraceLine(const UsbRequest& request);

// Polls that found no event would drown the trace; everything else is shown.
bool IsTraced(const UsbRequest& request);

}  // namespace corvane
