#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "controller/eventdispatch.h"
#include "device/requests.h"

namespace corvane {

// What the program has sent the unit and the unit has not yet answered with its events. The unit
// queues events in order and hands out one per poll, every 5 ms: each route it is sent costs two
// of them (its RouteChanged echo and the unsaved flags), a recall, store or clear one. This keeps
// two things: how many events the program's own requests still have queued, so that the remote
// control sends no more than the unit can hand back, and the routes the unit has yet to echo,
// so that a late echo is told from a front panel's change.
class UnitTraffic {
  public:
    // The remote control may add requests while fewer than this many events of ours wait: a cue
    // of four routes goes out at once, and a front panel's change waits behind at most 40 ms.
    static constexpr int kRemoteBacklog = 8;
    // Routes remembered for their echo; older ones are taken as never echoed.
    static constexpr std::size_t kRememberedRoutes = 64;

    // Every command request as it is sent, with the orientation then in force.
    void sent(RequestCode code, std::uint16_t value, std::uint16_t index, bool reverse);
    // The result of one poll that transferred `count` bytes, decoded. False when the event is
    // the unit's echo of a route of ours that must not act: a newer route of ours for the same
    // line (the same channel in reverse routing) is already shown and on its way, or the route
    // was sent for the other orientation. Applying it would set the line back to an older
    // channel until the newer echo arrives. A route that matches none of ours is a front panel's
    // change and acts.
    bool polled(int count, const DispatchedEvent& event, bool reverse);
    bool roomForRemote() const { return !m_unknownQueued && m_expectedEvents < kRemoteBacklog; }

  private:
    struct Route {
        int unit;
        int row;
        int column;
        bool reverse;
    };
    static bool sameCrosspoint(const Route& a, const Route& b);
    // Takes the echo off the list; whether it must not act.
    bool outdatedEcho(int unit, int row, int column, bool reverse);

    std::deque<Route> m_routes;  // not yet echoed, oldest first
    int m_expectedEvents = 0;
    // An event came that none of ours explains: what the unit still holds is unknown until a
    // poll finds its queue empty.
    bool m_unknownQueued = false;
};

}  // namespace corvane
