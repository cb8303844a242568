#include "controller/eventdispatch.h"

namespace corvane {

DispatchedEvent DispatchEvent(const DeviceEvent& event, int count, const MatrixModel& model) {
    DispatchedEvent d;
    if (count < 2) return d;
    const std::uint8_t arg1 = event[1];
    const std::uint8_t arg2 = event[2];
    switch (event[0]) {
        case static_cast<std::uint8_t>(EventCode::ReverseChanged):
            d.action = EventAction::SetReverse;
            d.reverse = arg1 != 0;
            break;
        case static_cast<std::uint8_t>(EventCode::MemoryRecalled):
            if (!IsMemory(arg2)) break;
            d.action = EventAction::Recall;
            d.memory = arg2;
            break;
        case static_cast<std::uint8_t>(EventCode::UnsavedChanged):
            d.action = EventAction::Unsaved;
            d.unsavedBits = arg1;
            break;
        case static_cast<std::uint8_t>(EventCode::MemoryStored):
            if (!IsUnit(arg1) || !IsMemory(arg2)) break;
            d.action = EventAction::Stored;
            d.unit = arg1;
            d.memory = arg2;
            break;
        case static_cast<std::uint8_t>(EventCode::RouteChanged):
            d.unit = arg2 >> 4;
            d.row = arg2 & 0x0F;
            d.column = arg1;
            if (!IsUnit(d.unit) || !model.isCrosspoint(d.row, d.column)) break;
            d.action = d.unit == model.selectedUnit() ? EventAction::RouteSelected : EventAction::RouteOther;
            break;
        case static_cast<std::uint8_t>(EventCode::MemoryCleared):
            if (!IsUnit(arg1)) break;
            d.unit = arg1;
            d.action = d.unit == model.selectedUnit() ? EventAction::ClearSelected : EventAction::ClearOther;
            break;
        case static_cast<std::uint8_t>(EventCode::ImageChanged):
            d.action = EventAction::ReadImage;
            break;
        default:
            break;
    }
    if (d.action == EventAction::None) d = DispatchedEvent{};
    return d;
}

}  // namespace corvane
