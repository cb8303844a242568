#pragma once

#include <cstdint>

#include "device/configimage.h"

namespace corvane {

// Request types of the setup packet.
inline constexpr std::uint8_t kVendorIn = 0xC0;    // vendor request, device to host
inline constexpr std::uint8_t kVendorOut = 0x40;   // vendor request, host to device
inline constexpr std::uint8_t kStandardIn = 0x80;  // standard request, device to host

enum class RequestCode : std::uint8_t {
    ReadImage = 1,
    SetRoute = 4,
    SetReverse = 5,
    Recall = 6,
    Store = 8,
    Clear = 10,
    WriteImage = 12,
    PollEvent = 50,
};

inline constexpr int kCommandTimeout = 5000;
inline constexpr int kCommandReplySize = 8;

// The fixed part of a request: everything but value and index.
struct RequestForm {
    std::uint8_t requestType;
    std::uint8_t request;
    std::uint16_t length;
    int timeout;
};

// The one catalogue of request forms; every sender goes through it.
constexpr RequestForm FormOf(RequestCode code) {
    const auto r = static_cast<std::uint8_t>(code);
    switch (code) {
        case RequestCode::ReadImage:
            return {kVendorIn, r, kImageBufferSize, kCommandTimeout};
        case RequestCode::WriteImage:
            return {kVendorOut, r, kConfigImageSize, kCommandTimeout};
        case RequestCode::SetRoute:
        case RequestCode::SetReverse:
        case RequestCode::Recall:
        case RequestCode::Store:
        case RequestCode::Clear:
        case RequestCode::PollEvent:
            break;
    }
    return {kVendorIn, r, kCommandReplySize, kCommandTimeout};
}

// GET_DESCRIPTOR for a string descriptor: value 0x0300 + string index, index the language id. The
// reply buffer holds the longest descriptor there can be.
inline constexpr std::uint8_t kGetDescriptor = 6;
inline constexpr std::uint16_t kStringDescriptorSize = 256;
inline constexpr int kStringDescriptorTimeout = 1000;
inline constexpr RequestForm kStringDescriptorForm{kStandardIn, kGetDescriptor, kStringDescriptorSize,
                                                   kStringDescriptorTimeout};
inline constexpr std::uint8_t kStringDescriptorType = 3;  // the reply's second byte
inline constexpr std::uint16_t kStringDescriptorValue = kStringDescriptorType << 8;
inline constexpr std::uint16_t kLanguageUsEnglish = 0x0409;

// The value of SetRoute, and byte 2 of RouteChanged: unit in the high nibble, row in the low.
constexpr std::uint16_t UnitRow(int unit, int row) {
    return static_cast<std::uint16_t>((unit & 0x0F) << 4 | (row & 0x0F));
}

}  // namespace corvane
