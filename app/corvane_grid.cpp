#include "app/corvane.h"

namespace corvane {

void TCorvane_Form::CreateGrid() {}
void TCorvane_Form::ArrangeGrid() {}
void TCorvane_Form::ApplyCrosspoint(std::uint8_t, std::uint8_t) {}
void TCorvane_Form::RefreshGrid() {}
void TCorvane_Form::CrosspointClick(int) {}
void TCorvane_Form::CrosspointEnter(int) {}
void TCorvane_Form::CrosspointExit(int) {}

}  // namespace corvane
