#include "app/corvane.h"

namespace corvane {

void TCorvane_Form::FileOpenDialog() {}
void TCorvane_Form::FileSaveAsDialog() {}

}  // namespace corvane
