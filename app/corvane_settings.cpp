#include "app/corvane.h"

namespace corvane {

void TCorvane_Form::OpenSettings() {}
void TCorvane_Form::LoadArrangement() {}
void TCorvane_Form::LoadNames() {}
void TCorvane_Form::SaveSettings() {}
void TCorvane_Form::RestoreWindowState() {}
void TCorvane_Form::SaveWindowState() {}

}  // namespace corvane
