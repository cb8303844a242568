#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "virtualunit/devicemodel.h"
#include "virtualunit/panelscript.h"
#include "virtualunit/virtualbus.h"

using namespace corvane;

// Any text either parses or is refused with a message; a parsed script plays on a unit.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PanelScript script;
    try {
        script = PanelScript::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const PanelScriptError&) {
        return 0;
    }
    DeviceModel unit(VirtualBus::UnitIdentity(), std::make_shared<UnitFirmware>(size % 4));
    script.advance(1000, 100, unit);
    script.advance(INT64_MAX, LONG_MAX, unit);
    std::uint8_t buffer[256];
    while (unit.control(0xC0, 50, 0, 0, buffer, 8) > 0) {
    }
    unit.control(0xC0, 1, 0, 0, buffer, 256);
    return 0;
}
