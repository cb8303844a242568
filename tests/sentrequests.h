#pragma once

#include <string>
#include <vector>

#include "device/requests.h"
#include "device/usbrequest.h"
#include "virtualunit/devicemodel.h"

// Everything the unit received since the last call but the polls for events, in trace form.
inline std::vector<std::string> Sent(corvane::DeviceModel& unit) {
    std::vector<std::string> lines;
    for (const corvane::UsbRequest& r : unit.requests())
        if (r.request != static_cast<std::uint8_t>(corvane::RequestCode::PollEvent))
            lines.push_back(corvane::TraceLine(r));
    unit.clearRequests();
    return lines;
}
