#include <gtest/gtest.h>

#include <vector>

#include "model/layouts.h"

using namespace corvane;

namespace {

std::vector<int> allowedLayouts(int slaves) {
    std::vector<int> allowed;
    for (int layout = -1; layout <= 8; ++layout)
        if (LayoutAllowed(slaves, layout)) allowed.push_back(layout);
    return allowed;
}

}  // namespace

TEST(Layouts, TheSlaveCountDecidesTheArrangementsOffered) {
    EXPECT_EQ(allowedLayouts(0), (std::vector<int>{0}));
    EXPECT_EQ(allowedLayouts(1), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(allowedLayouts(2), (std::vector<int>{0, 1, 2, 4, 5}));
    EXPECT_EQ(allowedLayouts(3), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(allowedLayouts(4).empty());
    EXPECT_TRUE(allowedLayouts(-1).empty());
}

TEST(Layouts, AnArrangementNotOfferedFallsBackToTheMasterAlone) {
    EXPECT_EQ(AllowedLayout(1, Layout2x2), Layout1x1);
    EXPECT_EQ(AllowedLayout(1, Layout1x2), Layout1x2);
    EXPECT_EQ(AllowedLayout(2, Layout1x4), Layout1x1);
    EXPECT_EQ(AllowedLayout(3, 255), Layout1x1);
    EXPECT_EQ(AllowedLayout(255, Layout2x1), Layout1x1);
}

TEST(Layouts, HighestUnitIsTheLastUnitShown) {
    const int expected[8] = {0, 1, 2, 3, 1, 2, 3, 3};
    for (int layout = 0; layout < 8; ++layout) EXPECT_EQ(HighestUnit(layout), expected[layout]) << layout;
    EXPECT_EQ(HighestUnit(8), 0);
    EXPECT_EQ(HighestUnit(-1), 0);
}

struct PlaceCase {
    int layout;
    int unit;
    bool reverse;
    PanelPlace place;
};

class PanelPlaces : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PanelPlaces, MatchTheArrangement) {
    const PlaceCase& c = GetParam();
    const PanelPlace p = UnitPanelPlace(c.layout, c.unit, c.reverse);
    EXPECT_EQ(p.visible, c.place.visible);
    if (c.place.visible) {
        EXPECT_EQ(p.left, c.place.left);
        EXPECT_EQ(p.top, c.place.top);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothOrientations, PanelPlaces,
    ::testing::Values(
        // The master never moves, whatever the layout says.
        PlaceCase{Layout1x1, 0, false, {true, 5, 5}}, PlaceCase{Layout2x2, 0, true, {true, 5, 5}},
        PlaceCase{99, 0, false, {true, 5, 5}}, PlaceCase{99, 1, false, {false, 0, 0}},
        PlaceCase{Layout1x1, 1, false, {false, 0, 0}}, PlaceCase{Layout1x1, 3, true, {false, 0, 0}},
        // Side by side: wider panels in reverse routing push the columns apart.
        PlaceCase{Layout2x1, 1, false, {true, 141, 5}}, PlaceCase{Layout2x1, 1, true, {true, 149, 5}},
        PlaceCase{Layout2x1, 2, false, {false, 0, 0}}, PlaceCase{Layout3x1, 2, false, {true, 277, 5}},
        PlaceCase{Layout3x1, 2, true, {true, 293, 5}}, PlaceCase{Layout3x1, 3, true, {false, 0, 0}},
        PlaceCase{Layout4x1, 3, false, {true, 413, 5}}, PlaceCase{Layout4x1, 3, true, {true, 437, 5}},
        // One above the other: lower panels in reverse routing pull the rows together.
        PlaceCase{Layout1x2, 1, false, {true, 5, 60}}, PlaceCase{Layout1x2, 1, true, {true, 5, 52}},
        PlaceCase{Layout1x2, 2, false, {false, 0, 0}}, PlaceCase{Layout1x3, 2, false, {true, 5, 115}},
        PlaceCase{Layout1x3, 2, true, {true, 5, 99}}, PlaceCase{Layout1x3, 3, false, {false, 0, 0}},
        PlaceCase{Layout1x4, 3, false, {true, 5, 170}}, PlaceCase{Layout1x4, 3, true, {true, 5, 146}},
        // Two rows of two: unit 2 below the master, unit 3 beside it.
        PlaceCase{Layout2x2, 1, false, {true, 141, 5}}, PlaceCase{Layout2x2, 1, true, {true, 149, 5}},
        PlaceCase{Layout2x2, 2, false, {true, 5, 60}}, PlaceCase{Layout2x2, 2, true, {true, 5, 52}},
        PlaceCase{Layout2x2, 3, false, {true, 141, 60}}, PlaceCase{Layout2x2, 3, true, {true, 149, 52}},
        PlaceCase{Layout2x2, 4, false, {false, 0, 0}}));
