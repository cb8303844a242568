#include "app/corvane.h"

namespace corvane {

void TCorvane_Form::BuildUnitPanels() {}
void TCorvane_Form::BringUnitPanelsToFront() {}
void TCorvane_Form::RefreshUnitPanel(int) {}
void TCorvane_Form::DrawUnitMap(int) {}
void TCorvane_Form::ApplyLayout() {}
void TCorvane_Form::RefreshLayoutMenu() {}
void TCorvane_Form::MatrixExecute(int) {}
void TCorvane_Form::Image1MouseDown(int) {}
void TCorvane_Form::Image1MouseMove(int, int, int, bool) {}
void TCorvane_Form::Image4MouseUp(int, int, int) {}

}  // namespace corvane
