#include "model/layouts.h"

#include <array>

#include "model/matrixmodel.h"

namespace corvane {

namespace {

// One place in both orientations; the first value of a pair is for normal routing.
struct Place {
    bool visible;
    int leftNormal;
    int leftReverse;
    int topNormal;
    int topReverse;
};

constexpr Place kHidden{false, 0, 0, 0, 0};
constexpr Place kMaster{true, 5, 5, 5, 5};
// Columns and rows of the arrangement, by position.
constexpr Place kRight1{true, 141, 149, 5, 5};
constexpr Place kRight2{true, 277, 293, 5, 5};
constexpr Place kRight3{true, 413, 437, 5, 5};
constexpr Place kBelow1{true, 5, 5, 60, 52};
constexpr Place kBelow2{true, 5, 5, 115, 99};
constexpr Place kBelow3{true, 5, 5, 170, 146};
constexpr Place kRightBelow{true, 141, 149, 60, 52};

struct Arrangement {
    std::array<Place, kUnits> units;
    int highestUnit;
};

constexpr std::array<Arrangement, 8> kArrangements{{
    {{kMaster, kHidden, kHidden, kHidden}, 0},      // 1x1
    {{kMaster, kRight1, kHidden, kHidden}, 1},      // 2x1
    {{kMaster, kRight1, kRight2, kHidden}, 2},      // 3x1
    {{kMaster, kRight1, kRight2, kRight3}, 3},      // 4x1
    {{kMaster, kBelow1, kHidden, kHidden}, 1},      // 1x2
    {{kMaster, kBelow1, kBelow2, kHidden}, 2},      // 1x3
    {{kMaster, kBelow1, kBelow2, kBelow3}, 3},      // 1x4
    {{kMaster, kRight1, kBelow1, kRightBelow}, 3},  // 2x2
}};

// Bit k set: layout k is offered with that many slaves.
constexpr std::array<std::uint8_t, 4> kAllowedBySlaves{
    0b0000'0001,  // 1x1
    0b0001'0011,  // 1x1, 2x1, 1x2
    0b0011'0111,  // and 3x1, 1x3
    0b1111'1111,  // all eight
};

bool validLayout(int layout) {
    return layout >= 0 && layout < static_cast<int>(kArrangements.size());
}

}  // namespace

bool LayoutAllowed(int slaveCount, int layout) {
    if (slaveCount < 0 || slaveCount >= static_cast<int>(kAllowedBySlaves.size()) || !validLayout(layout))
        return false;
    return (kAllowedBySlaves[static_cast<std::size_t>(slaveCount)] >> layout & 1) != 0;
}

std::uint8_t AllowedLayout(int slaveCount, int layout) {
    return static_cast<std::uint8_t>(LayoutAllowed(slaveCount, layout) ? layout : int{Layout1x1});
}

int HighestUnit(int layout) {
    return validLayout(layout) ? kArrangements[static_cast<std::size_t>(layout)].highestUnit : 0;
}

PanelPlace UnitPanelPlace(int layout, int unit, bool reverse) {
    if (!IsUnit(unit)) return {false, 0, 0};
    const Arrangement& a =
        kArrangements[static_cast<std::size_t>(validLayout(layout) ? layout : int{Layout1x1})];
    const Place& p = a.units[static_cast<std::size_t>(unit)];
    return {p.visible, reverse ? p.leftReverse : p.leftNormal, reverse ? p.topReverse : p.topNormal};
}

}  // namespace corvane
