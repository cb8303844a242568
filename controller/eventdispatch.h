#pragma once

#include <cstdint>

#include "device/deviceevent.h"
#include "model/matrixmodel.h"

namespace corvane {

// What the window does with one polled event.
enum class EventAction : std::uint8_t {
    None,           // no event, an unknown code, or arguments out of range
    SetReverse,     // put REVERSE down when `reverse`, then switch the orientation
    Recall,         // every unit to `memory`
    Unsaved,        // the unsaved flags are `unsavedBits`
    Stored,         // `unit` stored its work memory as `memory`
    RouteSelected,  // a route of the selected unit, through the grid as a click would set it
    RouteOther,     // a route of another unit, straight into the model
    ClearSelected,  // the selected unit's work memory was cleared
    ClearOther,     // another unit's work memory was cleared
    ReadImage,      // the configuration changed as a whole
};

struct DispatchedEvent {
    EventAction action = EventAction::None;
    int unit = 0;
    int memory = 0;
    int row = 0;
    int column = 0;
    bool reverse = false;
    std::uint8_t unsavedBits = 0;
};

// Decodes the reply of one poll that transferred `count` bytes. Fewer than 2 bytes is no event.
// Arguments outside the ranges the unit documents are ignored as a whole rather than written
// past the model's tables: a unit above 3, a memory above 4, and a row or column that is not a
// crosspoint of the active orientation.
DispatchedEvent DispatchEvent(const DeviceEvent& event, int count, const MatrixModel& model);

}  // namespace corvane
