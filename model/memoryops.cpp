#include "model/memoryops.h"

namespace corvane {

namespace {
template <typename Change>
void Apply(MatrixState& state, Change change) {
    MatrixModel model(state);
    change(model);
    state = model.record();
}
}  // namespace

void RecallMemory(MatrixState& state, int memory) {
    Apply(state, [&](MatrixModel& m) { m.recallMemory(memory); });
}

void CopyWorkToMemory(MatrixState& state, int unit, int memory) {
    Apply(state, [&](MatrixModel& m) { m.storeMemory(unit, memory); });
}

void ClearWork(MatrixState& state, int unit) {
    Apply(state, [&](MatrixModel& m) { m.clearWorkMemory(unit); });
}

void ClearConfiguration(MatrixState& state, NameTable& names) {
    names.setDefaults();
    Apply(state, [](MatrixModel& m) { m.clear(); });
}

}  // namespace corvane
