#include <gtest/gtest.h>

#include "model/matrixmodel.h"

using namespace corvane;

namespace {

MatrixModel WithRecord(void (*set)(MatrixState&)) {
    MatrixState s{};
    set(s);
    return MatrixModel(s);
}

}  // namespace

TEST(MatrixNumbers, UnitsAndMemoriesCountFromZeroAndAStrayMemoryBecomesTheFirst) {
    struct Case {
        int value;
        bool unit, memory;
        int clamped;
    };
    const Case cases[] = {{-1, false, false, -1}, {0, true, true, 0},   {3, true, true, 3},
                          {4, false, true, 4},    {5, false, false, 0}, {15, false, false, 0},
                          {255, false, false, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(IsUnit(c.value), c.unit) << c.value;
        EXPECT_EQ(IsMemory(c.value), c.memory) << c.value;
        if (c.clamped >= 0) {
            EXPECT_EQ(ClampedMemory(static_cast<std::uint8_t>(c.value)), c.clamped) << c.value;
        }
    }
}

TEST(MatrixSelection, AnyStoredByteNamesAUnitAndAnArrangementLowersTheByteItself) {
    struct Case {
        std::uint8_t stored;
        int selected;
        int highest;  // of the arrangement applied next
        bool lowered;
        std::uint8_t after;
    };
    const Case cases[] = {
        {0, 0, 0, false, 0},  {2, 2, 3, false, 2}, {3, 3, 1, true, 1},
        {5, 1, 3, true, 3},   {9, 1, 0, true, 0},  {200, 0, 0, true, 0},  // 200 shows unit 0 but is stored
        {255, 3, 2, true, 2},
    };
    for (const Case& c : cases) {
        MatrixState s{};
        s.SelectedUnit = c.stored;
        MatrixModel model(s);
        EXPECT_EQ(model.selectedUnit(), c.selected) << int{c.stored};
        EXPECT_EQ(model.lowerSelectionTo(c.highest), c.lowered) << int{c.stored};
        EXPECT_EQ(model.record().SelectedUnit, c.after) << int{c.stored};
    }
    MatrixModel model;
    model.selectUnit(4);
    EXPECT_EQ(model.record().SelectedUnit, 0);
    model.selectUnit(3);
    EXPECT_EQ(model.selectedUnit(), 3);
}

TEST(MatrixOrientation, AnyNonZeroByteIsReverseAndIsKeptUntilSwitched) {
    for (const std::uint8_t stored : {1, 2, 128, 255}) {
        MatrixState s{};
        s.ReverseMode = stored;
        MatrixModel model(s);
        EXPECT_TRUE(model.isReverse()) << int{stored};
        model.setWorkRoute(0, 1, 2);
        EXPECT_EQ(model.record().ReverseMode, stored);
        model.setReverse(true);
        EXPECT_EQ(model.record().ReverseMode, 1);
    }
    EXPECT_FALSE(MatrixModel().isReverse());
}

TEST(MatrixCrosspoints, TheHiddenLineOfEachOrientationAndAllOutsideAreNone) {
    struct Case {
        int row, column;
        bool normal, reverse;
    };
    const Case cases[] = {
        {0, 0, true, true},    {3, 15, true, true},   {4, 15, true, false},
        {4, 16, false, false}, {0, 16, false, true},  {5, 0, false, false},
        {0, 17, false, false}, {-1, 0, false, false}, {0, -1, false, false},
    };
    for (const Case& c : cases) {
        MatrixModel model;
        EXPECT_EQ(model.isCrosspoint(c.row, c.column), c.normal) << c.row << "," << c.column;
        model.setReverse(true);
        EXPECT_EQ(model.isCrosspoint(c.row, c.column), c.reverse) << c.row << "," << c.column << " reverse";
    }
}

TEST(MatrixCrosspoints, LitFollowsTheActiveTableOfTheSlotAndNeverPastTheTables) {
    const MatrixModel normal = WithRecord([](MatrixState& s) {
        s.LineRoute[2][3][5] = 1;
        s.LineRoute[2][0][6] = kDisconnected;
        s.LineRoute[2][0][7] = 200;  // lights nothing
        s.ChannelRoute[2][3][1] = 5;
    });
    const MatrixModel reverse = WithRecord([](MatrixState& s) {
        s.ReverseMode = 1;
        s.ChannelRoute[1][0][3] = kNoLine;
        s.ChannelRoute[1][0][2] = 77;
        s.LineRoute[1][0][3] = 3;
    });
    struct Case {
        const MatrixModel& model;
        int unit, slot, row, column;
        bool lit;
    };
    const Case cases[] = {
        {normal, 2, 3, 1, 5, true},   {normal, 2, 0, 1, 5, false},    {normal, 2, 0, 4, 6, true},
        {normal, 2, 0, 0, 6, false},  {normal, 2, 3, 1, 16, false},   {normal, 4, 3, 1, 5, false},
        {normal, 2, 6, 1, 5, false},  {reverse, 1, 0, 3, 16, true},   {reverse, 1, 0, 3, 3, false},
        {reverse, 1, 0, 4, 3, false}, {reverse, -1, 0, 3, 16, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.model.isLit(c.unit, c.slot, c.row, c.column), c.lit)
            << "unit " << c.unit << " slot " << c.slot << " at " << c.row << "," << c.column;
    for (int r = 0; r < grid::kRows; ++r) EXPECT_FALSE(normal.isLit(2, 0, r, 7)) << r;
    for (int c = 0; c < grid::kColumns; ++c) EXPECT_FALSE(reverse.isLit(1, 0, 2, c)) << c;
}

// Recall, store and clear change only the active table; the other keeps what it last held.
TEST(MatrixMemories, RecallStoreAndClearWorkOnTheActiveTableOnly) {
    for (const bool reverse : {false, true}) {
        MatrixState s{};
        for (int u = 0; u < kUnits; ++u)
            for (int slot = 0; slot < kSlots; ++slot) {
                for (int l = 0; l < kLines; ++l)
                    s.LineRoute[u][slot][l] = static_cast<std::uint8_t>(slot % 5);
                for (int c = 0; c < kChannels; ++c)
                    s.ChannelRoute[u][slot][c] = static_cast<std::uint8_t>(slot);
            }
        s.ReverseMode = reverse ? 1 : 0;
        s.SlaveCount = 3;
        MatrixModel model(s);
        const auto active = [&](int u, int slot) {
            return reverse ? model.channelRoute(u, slot, 2) : model.lineRoute(u, slot, 9);
        };
        const auto inactive = [&](int u, int slot) {
            return reverse ? model.lineRoute(u, slot, 9) : model.channelRoute(u, slot, 2);
        };

        model.recallMemory(2);  // slot 3 into every work memory
        for (int u = 0; u < kUnits; ++u) {
            EXPECT_EQ(model.currentMemory(u), 2);
            EXPECT_EQ(active(u, kWorkMemory), 3 % 5);
            EXPECT_EQ(inactive(u, kWorkMemory), 0);
        }

        model.clearWorkMemory(1);
        EXPECT_EQ(active(1, kWorkMemory), reverse ? kNoLine : kDisconnected);
        EXPECT_EQ(active(0, kWorkMemory), 3 % 5);
        model.storeMemory(1, 0);  // the cleared work memory into slot 1
        EXPECT_EQ(active(1, 1), reverse ? kNoLine : kDisconnected);
        EXPECT_EQ(inactive(1, 1), 1);
        EXPECT_EQ(active(2, 1), 1);
        EXPECT_EQ(model.currentMemory(1), 2);  // which memory a unit is on is the caller's

        model.clear();
        EXPECT_EQ(model.slaveCount(), 3);
        EXPECT_FALSE(model.isReverse());
        EXPECT_EQ(model.lineRoute(3, 5, 15), kDisconnected);
        EXPECT_EQ(model.channelRoute(3, 5, 3), kNoLine);
        EXPECT_EQ(model.currentMemory(3), 0);
    }
}

TEST(MatrixUnsaved, OneBitPerUnitAndTheHighBitsIgnored) {
    MatrixModel model;
    model.setUnsavedBits(0xF5);
    const bool expected[kUnits] = {true, false, true, false};
    for (int u = 0; u < kUnits; ++u) EXPECT_EQ(model.unsaved(u), expected[u]) << u;
}
