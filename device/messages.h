#pragma once

#include <string>

namespace corvane {

// Texts the device link shows. Every %s is the USB library's last error text.
namespace msg {
inline constexpr char kCannotOpen[] = "Warning: cannot open USB device: %s\n";
inline constexpr char kCannotQueryManufacturer[] = "Warning: cannot query manufacturer for device: %s\n";
inline constexpr char kCannotQueryProduct[] = "Warning: cannot query product for device: %s\n";
inline constexpr char kNotFound[] =
    "Could not find USB device \"CORVANE Intercom Matrix\" with vid=0x%x pid=0x%x\n";
inline constexpr char kUsbError[] = "USB error: %s\n";
inline constexpr char kImageError[] = "USB error: %s\nonly %d bytes status received\n";
inline constexpr char kNoCurrentDirectory[] = " Unable to get current directory ";
}  // namespace msg

// printf-style formatting into a string, for the texts above.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace corvane
