#pragma once

#include <cstdint>
#include <string>

#include "model/matrixmodel.h"
#include "model/matrixstate.h"
#include "model/nametable.h"

namespace corvane {

// What the crosspoint grid shows for one unit, read afresh from the model and the names. Route
// values out of range (a matrix file can hold any byte) light no button and name nothing.
namespace grid {

// The routing set shown: the work memory, or the previewed memory's slot while a preview runs.
constexpr int ShownSlot(bool previewShowing, int previewMemory) {
    return previewShowing && IsMemory(previewMemory) ? previewMemory + 1 : kWorkMemory;
}

// Normal routing: line name, " - ", the name of the channel the line is on. Reverse: line name.
std::string ColumnCaption(const MatrixModel& m, const NameTable& n, int unit, int slot, int column,
                          bool reverse);
// Normal routing: channel name. Reverse: channel name, " - ", the name of the line it listens to.
std::string RowCaption(const MatrixModel& m, const NameTable& n, int unit, int slot, int row, bool reverse);

// The two-part hint of a connected button: "<line>-<row caption> | <line> connected with <row caption>".
std::string ConnectedHint(const std::string& lineName, const std::string& rowCaption);

// Up and Down move within a column and wrap at its ends; in reverse routing the hidden row 4 is
// skipped, so the wrap goes between rows 0 and 3.
constexpr int ColumnMoveTarget(int row, bool up, bool reverse) {
    const int rows = reverse ? kRows - 1 : kRows;
    return up ? (row + rows - 1) % rows : (row + 1) % rows;
}

}  // namespace grid
}  // namespace corvane
