#pragma once

#include "model/matrixstate.h"
#include "model/nametable.h"

namespace corvane {

// Routing operations on the model in the active orientation: LineRoute in normal routing,
// ChannelRoute in reverse routing. The other table keeps whatever it last held.

// Every unit goes to memory m: CurrentMemory := m and slot m + 1 into the work memory.
void RecallMemory(MatrixState& state, int memory);

// Copies the unit's work memory into slot m + 1.
void CopyWorkToMemory(MatrixState& state, int unit, int memory);

// Every line Disconnected, or in reverse routing every channel without a line.
void ClearWork(MatrixState& state, int unit);

// The blank configuration: default names, every route of every slot open, no memory and nothing
// unsaved, the first arrangement and unit in normal routing. The unit count is the hardware's.
void ClearConfiguration(MatrixState& state, NameTable& names);

inline bool IsMemory(int memory) {
    return memory >= 0 && memory < kMemories;
}
inline bool IsUnit(int unit) {
    return unit >= 0 && unit < kUnits;
}

}  // namespace corvane
