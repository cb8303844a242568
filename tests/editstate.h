#pragma once

#include "controller/matrixcontroller.h"
#include "model/matrixstate.h"
#include "model/nametable.h"

// A test's scene: the controller's record edited and put back whole, the way a file or the unit's
// image replaces it, with nothing shown until the test asks (showConfiguration()).
template <typename Edit>
void EditState(corvane::MatrixController& controller, Edit edit) {
    corvane::MatrixState record = controller.state();
    edit(record);
    controller.replaceState(record);
}

// The same for the names.
template <typename Edit>
void EditNames(corvane::MatrixController& controller, Edit edit) {
    corvane::NameTable names = controller.names();
    edit(names);
    controller.replaceNames(names);
}
