#include "device/usbrequest.h"

#include <cstdio>

#include "device/requests.h"

namespace corvane {

std::string TraceLine(const UsbRequest& r) {
    char head[48];
    std::snprintf(head, sizeof head, "%02x %02x %04x %04x %u", r.requestType, r.request, r.value, r.index,
                  static_cast<unsigned>(r.length));
    std::string line = head;
    if (r.hostToDevice() && !r.data.empty()) {
        static constexpr char kHex[] = "0123456789abcdef";
        line += ' ';
        for (std::uint8_t b : r.data) {
            line += kHex[b >> 4];
            line += kHex[b & 0x0F];
        }
    }
    return line;
}

bool IsTraced(const UsbRequest& r) {
    const bool poll =
        r.requestType == kVendorIn && r.request == static_cast<std::uint8_t>(RequestCode::PollEvent);
    return !(poll && r.result == 0);
}

}  // namespace corvane
