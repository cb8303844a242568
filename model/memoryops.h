#pragma once

#include "model/matrixmodel.h"
#include "model/matrixstate.h"
#include "model/nametable.h"

namespace corvane {

// The memory operations of MatrixModel on a bare record, for callers not yet holding the model.

void RecallMemory(MatrixState& state, int memory);
void CopyWorkToMemory(MatrixState& state, int unit, int memory);
void ClearWork(MatrixState& state, int unit);

// The blank configuration: default names and MatrixModel::clear.
void ClearConfiguration(MatrixState& state, NameTable& names);

}  // namespace corvane
