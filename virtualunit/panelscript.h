#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "device/deviceevent.h"

namespace corvane {

class DeviceModel;

// A malformed script; the message names the line.
class PanelScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Timed front-panel actions for the virtual unit, one per line:
//
//   <when> <action> [arguments]      # a comment
//
// <when> is "500ms" (milliseconds after the start) or "@120" (once the unit has answered 120
// transfers). Numbers count as the operator counts them, from 1: units 1..4, memories 1..5,
// channels 1..4 and lines 1..16. Actions:
//
//   route UNIT CHANNEL LINE    connect a line to a channel on that unit's panel; "off" as the
//                              channel disconnects the line (normal routing), "off" as the line
//                              leaves the channel without a line (reverse routing)
//   recall MEMORY              recall a memory on all units
//   store UNIT MEMORY          store the unit's work memory as a memory
//   clear UNIT                 clear the unit's work memory
//   reverse on|off             switch the routing orientation
//   image                      a wholesale change (every route moves on by one), reported as ImageChanged
//   event B0 [B1 ... B7]       queue a raw event, bytes in hex
//   unplug                     the unit disappears from the bus
class PanelScript {
  public:
    enum class Kind { Route, Recall, Store, Clear, Reverse, Image, Event, Unplug };

    struct Action {
        int line = 0;  // line in the script, from 1
        bool afterTransfers = false;
        std::int64_t when = 0;  // milliseconds, or transfers when afterTransfers
        Kind kind = Kind::Event;
        int unit = 0;    // indexes from 0, as the firmware counts
        int row = 0;     // channel 0..3, or kDisconnected
        int column = 0;  // line 0..15, or kNoLine
        int memory = 0;
        bool on = false;
        DeviceEvent event{};
    };

    // Throws PanelScriptError for the first line it cannot read.
    static PanelScript Parse(std::string_view text);
    static PanelScript Load(const std::string& path);

    // Applies, in file order, every action not yet applied whose time has come. Returns how many.
    int advance(std::int64_t elapsedMs, long transfers, DeviceModel& device);

    const std::vector<Action>& actions() const { return m_actions; }
    bool finished() const { return m_applied == m_actions.size(); }
    // When the earliest timed action not yet applied is due, so that a player can sleep until
    // then instead of looking every few milliseconds; nothing when none is left.
    std::optional<std::int64_t> nextDueMs() const;
    // Whether an action counted in transfers is still to come: only looking tells when it is due.
    bool waitsForTransfers() const;

  private:
    static void Apply(const Action& action, DeviceModel& device);

    std::vector<Action> m_actions;
    std::vector<bool> m_done;
    std::size_t m_applied = 0;
};

}  // namespace corvane
