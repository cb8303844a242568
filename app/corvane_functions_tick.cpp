#include "app/corvane.h"

namespace corvane {

// A tick of the blinking timer while a function-key step is armed.
void TCorvane_Form::FunctionKeyTick() {}

}  // namespace corvane
