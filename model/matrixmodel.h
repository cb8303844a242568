#pragma once

#include <cstdint>

#include "model/matrixstate.h"

namespace corvane {

// Numbers as the unit and the files count them: units 0..3, memories 0..4.
constexpr bool IsUnit(int unit) {
    return unit >= 0 && unit < kUnits;
}
constexpr bool IsMemory(int memory) {
    return memory >= 0 && memory < kMemories;
}
// A memory number read from the unit's image or a file: one above 4 names no memory and becomes 0.
constexpr std::uint8_t ClampedMemory(std::uint8_t memory) {
    return IsMemory(memory) ? memory : std::uint8_t{0};
}

// The crosspoint grid of one unit: rows are channels 0..3 plus the Disconnected row 4, columns
// lines 0..15 plus the no-line column 16.
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
}  // namespace grid

// The result of routing one crosspoint of a unit's work memory.
struct RouteChange {
    bool changed = false;
    // The crosspoint that was lit before (row in normal routing, column in reverse); -1 when the
    // old route was out of range and so lit no button.
    int previous = -1;
};

// The model of all units, with each of its rules in one place. The MatrixState record stays
// inside byte for byte, so that the image and file codecs read and replace it whole.
// Positions are those of the grid. Route values out of range (a file can hold any byte) light no
// crosspoint.
class MatrixModel {
  public:
    // Every byte 0, as before the unit's first image.
    MatrixModel() = default;
    explicit MatrixModel(const MatrixState& record) : m_record(record) {}

    const MatrixState& record() const { return m_record; }
    // For the codecs: the unit's image, a matrix file, the settings, a test's scene.
    void replaceRecord(const MatrixState& record) { m_record = record; }

    // Any non-zero byte is reverse routing: the program stores 1, an image or a file may bring
    // other values, which are kept and sent back unchanged.
    bool isReverse() const { return m_record.ReverseMode != 0; }
    void setReverse(bool on) { m_record.ReverseMode = on ? 1 : 0; }

    // The unit on the grid, always one of 0..3: the stored byte's two low bits, which is how the
    // grid and its route requests have always read it. The settings may store any byte, but an
    // arrangement is applied right after they are read (and after every file, image or File New)
    // and lowers it to a unit it shows (lowerSelectionTo), so the program only ever holds 0..3
    // here and clamping to 3 instead would give the same everywhere. Only a test's scene stores
    // more, and the grid tests pin the low bits.
    int selectedUnit() const { return m_record.SelectedUnit & 3; }
    // A unit outside 0..3 is ignored.
    void selectUnit(int unit);
    // Lowers the stored selection, whatever byte it is, to the last unit an arrangement shows.
    // Returns whether it moved.
    bool lowerSelectionTo(int highestUnit);

    int layout() const { return m_record.MatrixLayout; }
    void setLayout(int layout) { m_record.MatrixLayout = static_cast<std::uint8_t>(layout); }
    int slaveCount() const { return m_record.SlaveCount; }
    int currentMemory(int unit) const { return m_record.CurrentMemory[unit]; }
    void setCurrentMemory(int unit, int memory) {
        m_record.CurrentMemory[unit] = static_cast<std::uint8_t>(memory);
    }
    bool unsaved(int unit) const { return m_record.UnsavedFlags[unit] != 0; }
    // Bit u is unit u's flag; bits 4..7 are ignored.
    void setUnsavedBits(std::uint8_t bits);

    // Whether a position of the grid is a crosspoint: row 4 is hidden in reverse routing,
    // column 16 in normal routing, and nothing outside the grid is one.
    bool isCrosspoint(int row, int column) const;
    // Whether the crosspoint of the unit's slot is lit in the active orientation; false for any
    // unit, slot or position outside the tables.
    bool isLit(int unit, int slot, int row, int column) const;
    // The stored routes of a slot, whatever the orientation: the channel a line is on (4 for
    // Disconnected) and the line a channel listens to (16 for none).
    int lineRoute(int unit, int slot, int line) const { return m_record.LineRoute[unit][slot][line]; }
    int channelRoute(int unit, int slot, int channel) const {
        return m_record.ChannelRoute[unit][slot][channel];
    }
    // Routes line `column` to channel `row` (normal) or channel `row` to line `column` (reverse)
    // in the unit's work memory. Nothing changes for a route already set, a position that is not
    // a crosspoint or a unit outside 0..3.
    RouteChange setWorkRoute(int unit, int row, int column);

    // Every unit goes to memory m: its current memory becomes m and slot m + 1 its work memory.
    void recallMemory(int memory);
    // The unit's work memory into slot m + 1. Which memory the units are on then is the caller's:
    // a store on a front panel puts every unit on it, the operator's recalls it on every unit
    // when it was another memory.
    void storeMemory(int unit, int memory);
    // Every line Disconnected, or in reverse routing every channel without a line.
    void clearWorkMemory(int unit);
    // Every route of every slot open, no memory and nothing unsaved, the first arrangement and
    // unit in normal routing. The unit count is the hardware's and stays.
    void clear();

  private:
    // Only the active table changes; the other keeps whatever it last held.
    void copySlot(int unit, int from, int to);

    MatrixState m_record{};
};

}  // namespace corvane
