#pragma once

#include <cstdint>
#include <string>

#include "device/devicehandle.h"
#include "device/notifier.h"
#include "device/usbinterface.h"

namespace corvane {

enum OpenResult { kOpened = 0, kNoMatchingUnit = 1, kOpenFailed = 2, kStringUnreadable = 3 };

inline constexpr std::uint16_t kUnitVendorId = 0x16C0;
inline constexpr std::uint16_t kUnitProductId = 0x05DC;
inline constexpr char kUnitProductString[] = "CORVANE Intercom Matrix";

// Walks the buses for the first device with both ids and both strings, and keeps it open.
// Returns an OpenResult that reflects the last candidate examined when nothing matched.
int OpenDevice(UsbInterface& usb, Notifier& notifier, DeviceHandle& handle, std::uint16_t vendorId,
               const std::string& manufacturer, std::uint16_t productId, const std::string& product);

// Reads a string descriptor into single-byte text; characters above 0xFF become '?'.
// Returns the characters stored (0 for a reply that is not a string descriptor) or the library's
// negative error code.
int ReadStringDescriptor(UsbInterface& usb, UsbHandle handle, int index, int languageId, std::string& text,
                         int capacity);

}  // namespace corvane
