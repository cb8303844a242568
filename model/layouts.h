#pragma once

#include <array>
#include <cstdint>

#include "model/matrixstate.h"

namespace corvane {

// The arrangements of the units (MatrixLayout), as the operator reads them: units across x down.
enum LayoutValue : std::uint8_t {
    Layout1x1 = 0,
    Layout2x1 = 1,
    Layout3x1 = 2,
    Layout4x1 = 3,
    Layout1x2 = 4,
    Layout1x3 = 5,
    Layout1x4 = 6,
    Layout2x2 = 7,
};

// The order in which focus visits the unit panels: clockwise round the 2x2 square, the master
// first.
inline constexpr std::array<int, kUnits> kUnitPanelFocusOrder{0, 1, 3, 2};

// Unit panel sizes: normal routing has five rows of dots, reverse routing four rows but an
// extra column, so the panels are wider and lower there.
struct PanelSize {
    int width;
    int height;
};
inline constexpr PanelSize kUnitPanelNormal{130, 46};
inline constexpr PanelSize kUnitPanelReverse{138, 38};
inline constexpr int kUnitPanelBevel = 2;

inline constexpr PanelSize UnitPanelSize(bool reverse) {
    return reverse ? kUnitPanelReverse : kUnitPanelNormal;
}

// Where a unit's panel stands in the grid panel for an arrangement. A hidden panel has no
// position: it keeps wherever it last stood.
struct PanelPlace {
    bool visible;
    int left;
    int top;
};

// Whether the master with this many slaves offers the arrangement. Slave counts outside 0..3
// and layouts outside 0..7 are never allowed.
bool LayoutAllowed(int slaveCount, int layout);

// The arrangement itself if allowed, otherwise 1x1.
std::uint8_t AllowedLayout(int slaveCount, int layout);

// The last unit the arrangement shows; 0 for a layout outside 0..7.
int HighestUnit(int layout);

// The place of unit 0..3's panel in normal or reverse routing. The master's panel always stands
// at 5,5; a layout outside 0..7 shows the master alone.
PanelPlace UnitPanelPlace(int layout, int unit, bool reverse);

}  // namespace corvane
