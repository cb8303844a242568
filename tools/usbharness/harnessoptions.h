#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// Another device on the bus: other ids, or the unit's ids with other strings.
struct DecoyDevice {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string manufacturer = "other.example";
    std::string productName = "USB device";
};

struct HarnessOptions {
    int slaves = 3;
    bool unit = true;
    std::vector<DecoyDevice> decoys;
    std::string tracePath;
    std::string scriptPath;
    int unplugAfterTransfers = -1;
    std::int64_t unplugAfterMs = -1;
    std::vector<std::string> command;
};

inline constexpr char kHarnessUsage[] =
    "usage: corvane-usb-harness [--slaves N] [--decoy VID:PID[:MANUFACTURER[:PRODUCT]]]... [--no-unit]\n"
    "                           [--trace FILE] [--script FILE] [--unplug-after-transfers N]\n"
    "                           [--unplug-after-ms N] -- COMMAND [ARGS...]\n";

// The arguments after the program name. Throws std::invalid_argument with the reason.
HarnessOptions ParseHarnessOptions(const std::vector<std::string>& args);

}  // namespace corvane
