#include "app/corvane.h"

namespace corvane {

void TCorvane_Form::BuildMemoryPanel() {}
void TCorvane_Form::Memory1Click(int) {}
void TCorvane_Form::RecallMemory(int) {}
void TCorvane_Form::ShowMemoryLeds() {}
void TCorvane_Form::ShowMemoryStatus() {}
void TCorvane_Form::ShowUnitStatus() {}
void TCorvane_Form::TimerDiferenteTimer() {}

}  // namespace corvane
