#include "tools/usbharness/usbdescriptors.h"

namespace corvane {

namespace {
void word(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
}  // namespace

std::vector<std::uint8_t> NodeDescriptors(const UsbIdentity& identity) {
    constexpr std::uint8_t kVendorSpecific = 0xFF;
    constexpr std::uint16_t kConfigurationSize = 9 + 9;

    std::vector<std::uint8_t> d{kDeviceDescriptorSize, 1};
    word(d, 0x0110);  // USB 1.1, a full-speed device
    d.insert(d.end(), {kVendorSpecific, 0, 0, 8});
    word(d, identity.vendor);
    word(d, identity.product);
    word(d, 0x0100);
    d.insert(d.end(), {DeviceModel::kManufacturerIndex, DeviceModel::kProductIndex, 0, 1});

    d.insert(d.end(), {9, 2});
    word(d, kConfigurationSize);
    d.insert(d.end(), {1, 1, 0, 0x80, 50});                        // bus powered, 100 mA
    d.insert(d.end(), {9, 4, 0, 0, 0, kVendorSpecific, 0, 0, 0});  // interface 0, no endpoints
    return d;
}

}  // namespace corvane
