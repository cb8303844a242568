#include "controller/unittraffic.h"

#include <algorithm>

namespace corvane {

namespace {

int EventsQueuedFor(RequestCode code) {
    switch (code) {
        case RequestCode::SetRoute:
            return 2;
        case RequestCode::Recall:
        case RequestCode::Store:
        case RequestCode::Clear:
            return 1;
        default:
            return 0;
    }
}

}  // namespace

// The same line in normal routing, the same channel in reverse routing.
bool UnitTraffic::sameCrosspoint(const Route& a, const Route& b) {
    return a.unit == b.unit && a.reverse == b.reverse && (a.reverse ? a.row == b.row : a.column == b.column);
}

void UnitTraffic::sent(RequestCode code, std::uint16_t value, std::uint16_t index, bool reverse) {
    m_expectedEvents += EventsQueuedFor(code);
    if (code != RequestCode::SetRoute) return;
    m_routes.push_back({value >> 4, value & 0x0F, index, reverse});
    if (m_routes.size() > kRememberedRoutes) m_routes.pop_front();
}

bool UnitTraffic::polled(int count, const DispatchedEvent& event, bool reverse) {
    if (count < 2) {
        // The unit's queue is empty: every echo of what was sent so far has come, or never will.
        m_expectedEvents = 0;
        m_unknownQueued = false;
        m_routes.clear();
        return true;
    }
    if (m_expectedEvents > 0)
        --m_expectedEvents;
    else
        m_unknownQueued = true;
    const bool route = event.action == EventAction::RouteSelected || event.action == EventAction::RouteOther;
    return !route || !outdatedEcho(event.unit, event.row, event.column, reverse);
}

bool UnitTraffic::outdatedEcho(int unit, int row, int column, bool reverse) {
    const Route event{unit, row, column, reverse};
    const auto echo = std::find_if(m_routes.begin(), m_routes.end(), [&](const Route& r) {
        return r.unit == unit && r.row == row && r.column == column;
    });
    if (echo == m_routes.end()) return false;
    const Route route = *echo;
    const bool overtaken = std::any_of(std::next(echo), m_routes.end(),
                                       [&](const Route& r) { return sameCrosspoint(r, route); });
    // The unit works in order: older routes of that crosspoint that are still listed were not echoed.
    const auto end = std::remove_if(m_routes.begin(), std::next(echo),
                                    [&](const Route& r) { return sameCrosspoint(r, route); });
    m_routes.erase(end, std::next(echo));
    return overtaken || route.reverse != event.reverse;
}

}  // namespace corvane
