#include "device/opendevice.h"

#include <algorithm>
#include <array>

#include "device/messages.h"
#include "device/requests.h"

namespace corvane {

namespace {
bool libraryInitialised = false;  // one per process
// Characters kept of a manufacturer or product string: more than any descriptor holds.
constexpr int kStringCapacity = 256;
}  // namespace

int ReadStringDescriptor(UsbInterface& usb, UsbHandle handle, int index, int languageId, std::string& text,
                         int capacity) {
    std::array<std::uint8_t, kStringDescriptorSize> reply{};
    text.clear();
    const RequestForm& form = kStringDescriptorForm;
    const int count = usb.controlMsg(handle, form.requestType, form.request, kStringDescriptorValue + index,
                                     languageId, reply.data(), form.length, form.timeout);
    if (count < 0) return count;
    if (reply[1] != kStringDescriptorType) return 0;
    const int n = std::min(count, static_cast<int>(reply[0])) / 2;
    int i = 1;
    for (; i < n && i <= capacity; ++i) {
        const std::uint8_t low = reply[2 * i];
        const std::uint8_t high = reply[2 * i + 1];
        text += high == 0 ? static_cast<char>(low) : '?';
    }
    return i - 1;
}

int OpenDevice(UsbInterface& usb, Notifier& notifier, DeviceHandle& handle, std::uint16_t vendorId,
               const std::string& manufacturer, std::uint16_t productId, const std::string& product) {
    if (!libraryInitialised) {
        libraryInitialised = true;
        usb.init();
    }
    usb.findBusses();
    usb.findDevices();

    int result = kNoMatchingUnit;
    for (const UsbBus& bus : usb.getBusses()) {
        for (const UsbDevice& device : bus.devices) {
            if (device.idVendor != vendorId || device.idProduct != productId) continue;

            UsbHandle candidate = usb.open(device);
            if (candidate == nullptr) {
                result = kOpenFailed;
                notifier.showMessage(kMainTitle, Format(msg::kCannotOpen, usb.strerror().c_str()),
                                     MessageIcon::None);
                continue;
            }
            DeviceHandle open(usb, candidate);  // closes the candidate unless it is kept

            std::string text;
            if (ReadStringDescriptor(usb, candidate, device.iManufacturer, kLanguageUsEnglish, text,
                                     kStringCapacity) < 0) {
                result = kStringUnreadable;
                notifier.showMessage(kMainTitle,
                                     Format(msg::kCannotQueryManufacturer, usb.strerror().c_str()),
                                     MessageIcon::None);
                continue;
            }
            result = kNoMatchingUnit;
            if (text != manufacturer) continue;

            if (ReadStringDescriptor(usb, candidate, device.iProduct, kLanguageUsEnglish, text,
                                     kStringCapacity) < 0) {
                result = kStringUnreadable;
                notifier.showMessage(kMainTitle, Format(msg::kCannotQueryProduct, usb.strerror().c_str()),
                                     MessageIcon::None);
                continue;
            }
            result = kNoMatchingUnit;
            if (text == product) {
                handle = std::move(open);
                return kOpened;
            }
        }
    }
    return result;
}

}  // namespace corvane
