#pragma once

#include <cstdint>
#include <vector>

#include "virtualunit/devicemodel.h"

namespace corvane {

// What a Linux USB device node yields when read from the start: the device descriptor followed by
// every configuration descriptor with its interfaces. Our devices have one configuration with one
// vendor-specific interface and no endpoints besides the default one.
std::vector<std::uint8_t> NodeDescriptors(const UsbIdentity& identity);

inline constexpr std::size_t kDeviceDescriptorSize = 18;

}  // namespace corvane
