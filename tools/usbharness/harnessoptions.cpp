#include "tools/usbharness/harnessoptions.h"

#include <charconv>
#include <stdexcept>

namespace corvane {

namespace {

std::int64_t number(const std::string& option, const std::string& text, std::int64_t last, int base = 10) {
    std::int64_t value = -1;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc{} || ptr != end || value < 0 || value > last)
        throw std::invalid_argument(option + ": \"" + text + "\" is not a number from 0 to " +
                                    std::to_string(last));
    return value;
}

DecoyDevice decoy(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < 3) {
        const std::size_t colon = text.find(':', start);
        if (colon == std::string::npos) break;
        fields.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    fields.push_back(text.substr(start));  // the product keeps any further colons
    if (fields.size() < 2) throw std::invalid_argument("--decoy: expected VID:PID, not \"" + text + "\"");
    DecoyDevice d;
    d.vendor = static_cast<std::uint16_t>(number("--decoy", fields[0], 0xFFFF, 16));
    d.product = static_cast<std::uint16_t>(number("--decoy", fields[1], 0xFFFF, 16));
    if (fields.size() > 2) d.manufacturer = fields[2];
    if (fields.size() > 3) d.productName = fields[3];
    return d;
}

}  // namespace

HarnessOptions ParseHarnessOptions(const std::vector<std::string>& args) {
    HarnessOptions o;
    std::size_t i = 0;
    auto value = [&](const std::string& option) -> const std::string& {
        if (i + 1 >= args.size()) throw std::invalid_argument(option + " needs a value");
        return args[++i];
    };
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            o.command.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (a == "--slaves") {
            o.slaves = static_cast<int>(number(a, value(a), 3));
        } else if (a == "--decoy") {
            o.decoys.push_back(decoy(value(a)));
        } else if (a == "--no-unit") {
            o.unit = false;
        } else if (a == "--trace") {
            o.tracePath = value(a);
        } else if (a == "--script") {
            o.scriptPath = value(a);
        } else if (a == "--unplug-after-transfers") {
            o.unplugAfterTransfers = static_cast<int>(number(a, value(a), 1'000'000'000));
        } else if (a == "--unplug-after-ms") {
            o.unplugAfterMs = number(a, value(a), 1'000'000'000);
        } else {
            throw std::invalid_argument("unknown option \"" + a + "\"");
        }
    }
    if (o.command.empty()) throw std::invalid_argument("no command given after --");
    return o;
}

}  // namespace corvane
