#pragma once

#include <cstdint>
#include <string>

#include "model/matrixstate.h"
#include "model/nametable.h"

namespace corvane {

// What the crosspoint grid shows for one unit, read afresh from the model and the names. Rows are
// channels 0..3 plus the Disconnected row 4, columns are lines 0..15 plus the no-line column 16.
// Route values out of range (a matrix file can hold any byte) light no button and name nothing.
namespace grid {

inline constexpr int kRows = 5;
inline constexpr int kColumns = 17;
inline constexpr int kCrosspoints = kRows * kColumns;
inline constexpr int kDisconnectedRow = 4;
inline constexpr int kNoLineColumn = 16;

// Row 4 is hidden in reverse routing, column 16 in normal routing.
constexpr bool IsHidden(int row, int column, bool reverse) {
    return reverse ? row == kDisconnectedRow : column == kNoLineColumn;
}

// The unit the grid shows: the model's byte kept to 0..3 so it always indexes a unit.
constexpr int ShownUnit(const MatrixState& s) {
    return s.SelectedUnit & 3;
}

// The routing set shown: the work memory, or the previewed memory's slot while a preview runs.
constexpr int ShownSlot(bool previewShowing, int previewMemory) {
    return previewShowing && previewMemory >= 0 && previewMemory < kMemories ? previewMemory + 1
                                                                             : kWorkMemory;
}

bool IsConnected(const MatrixState& s, int unit, int slot, int row, int column, bool reverse);

// Normal routing: line name, " - ", the name of the channel the line is on. Reverse: line name.
std::string ColumnCaption(const MatrixState& s, const NameTable& n, int unit, int slot, int column,
                          bool reverse);
// Normal routing: channel name. Reverse: channel name, " - ", the name of the line it listens to.
std::string RowCaption(const MatrixState& s, const NameTable& n, int unit, int slot, int row, bool reverse);

// The two-part hint of a connected button: "<line>-<row caption> | <line> connected with <row caption>".
std::string ConnectedHint(const std::string& lineName, const std::string& rowCaption);

// The result of routing one crosspoint of a unit's work memory.
struct RouteChange {
    bool changed = false;
    // The crosspoint that was lit before (row in normal routing, column in reverse); -1 when the
    // old route was out of range and so lit no button.
    int previous = -1;
};

// Routes line `column` to channel `row` (normal) or channel `row` to line `column` (reverse) in the
// unit's work memory. Nothing changes for a route already set, for the hidden line of the grid
// or for a crosspoint outside it.
RouteChange SetWorkRoute(MatrixState& s, int unit, int row, int column, bool reverse);

// Up and Down move within a column and wrap at its ends; in reverse routing the hidden row 4 is
// skipped, so the wrap goes between rows 0 and 3.
constexpr int ColumnMoveTarget(int row, bool up, bool reverse) {
    const int rows = reverse ? kRows - 1 : kRows;
    return up ? (row + rows - 1) % rows : (row + 1) % rows;
}

}  // namespace grid
}  // namespace corvane
