#include <gtest/gtest.h>

#include "model/gridcontent.h"
#include "view/hintlayout.h"

using namespace corvane;
using namespace corvane::grid;

namespace {

struct Named {
    MatrixState state{};
    NameTable names{};
    Named() { names.setDefaults(); }
};

}  // namespace

TEST(ColumnMove, WrapsWithinTheVisibleRows) {
    struct Case {
        int row;
        bool up, reverse;
        int want;
    };
    const Case cases[] = {
        {0, true, false, 4},
        {4, false, false, 0},
        {2, true, false, 1},
        {2, false, false, 3},
        // Reverse routing hides row 4: the wrap goes between rows 0 and 3.
        {0, true, true, 3},
        {3, false, true, 0},
        {1, false, true, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ColumnMoveTarget(c.row, c.up, c.reverse), c.want)
            << "row " << c.row << (c.up ? " up" : " down") << (c.reverse ? " reverse" : "");
}

TEST(WorkRoute, ChangesOnlyTheWorkMemoryOfTheUnitAndReportsTheLitCrosspoint) {
    MatrixState s{};
    s.LineRoute[2][kWorkMemory][5] = 1;
    s.LineRoute[2][1][5] = 3;
    s.ChannelRoute[1][kWorkMemory][3] = 16;
    MatrixModel model(s);
    RouteChange change = model.setWorkRoute(2, 0, 5);
    EXPECT_TRUE(change.changed);
    EXPECT_EQ(change.previous, 1);
    EXPECT_EQ(model.lineRoute(2, kWorkMemory, 5), 0);
    EXPECT_EQ(model.lineRoute(2, 1, 5), 3);

    EXPECT_FALSE(model.setWorkRoute(2, 0, 5).changed);   // already so
    EXPECT_FALSE(model.setWorkRoute(2, 0, 16).changed);  // hidden column
    EXPECT_FALSE(model.setWorkRoute(2, 5, 3).changed);   // outside the grid
    model.setReverse(true);
    EXPECT_FALSE(model.setWorkRoute(2, 4, 3).changed);  // hidden row
    EXPECT_FALSE(model.setWorkRoute(2, 0, 17).changed);

    change = model.setWorkRoute(1, 3, 7);
    EXPECT_EQ(change.previous, 16);
    EXPECT_EQ(model.channelRoute(1, kWorkMemory, 3), 7);
}

TEST(WorkRoute, AnOutOfRangeOldRouteLitNothing) {
    MatrixState s{};
    s.LineRoute[0][kWorkMemory][2] = 200;
    s.ChannelRoute[0][kWorkMemory][1] = 17;
    MatrixModel model(s);
    EXPECT_EQ(model.setWorkRoute(0, 1, 2).previous, -1);
    model.setReverse(true);
    EXPECT_EQ(model.setWorkRoute(0, 1, 2).previous, -1);
}

TEST(GridText, CaptionsFollowTheRoutingSide) {
    Named n;
    n.state.LineRoute[3][2][7] = 4;
    n.state.ChannelRoute[3][2][1] = 16;
    n.names.setLineName(3, 16, "Nobody");
    EXPECT_EQ(ColumnCaption(MatrixModel(n.state), n.names, 3, 2, 7, false), "Line 08 - Disconnected");
    EXPECT_EQ(ColumnCaption(MatrixModel(n.state), n.names, 3, 2, 7, true), "Line 08");
    EXPECT_EQ(ColumnCaption(MatrixModel(n.state), n.names, 3, 2, 16, true), "Nobody");
    EXPECT_EQ(RowCaption(MatrixModel(n.state), n.names, 3, 2, 1, false), "Channel 02");
    EXPECT_EQ(RowCaption(MatrixModel(n.state), n.names, 3, 2, 1, true), "Channel 02 - Nobody");
    EXPECT_EQ(ConnectedHint("Line 03", "Channel 01"),
              "Line 03-Channel 01 | Line 03 connected with Channel 01");
}

TEST(GridText, OutOfRangeRoutesNameNothingAndLightNothing) {
    Named n;
    n.state.LineRoute[0][0][0] = 255;
    n.state.ChannelRoute[0][0][0] = 99;
    EXPECT_EQ(ColumnCaption(MatrixModel(n.state), n.names, 0, 0, 0, false), "Line 01 - ");
    EXPECT_EQ(RowCaption(MatrixModel(n.state), n.names, 0, 0, 0, true), "Channel 01 - ");
    MatrixModel model(n.state);
    for (int r = 0; r < kRows; ++r) EXPECT_FALSE(model.isLit(0, 0, r, 0)) << r;
    model.setReverse(true);
    for (int c = 0; c < kColumns; ++c) EXPECT_FALSE(model.isLit(0, 0, 0, c)) << c;
}

TEST(GridText, PreviewShowsTheMemorysSlotNeverTheWorkMemory) {
    EXPECT_EQ(ShownSlot(false, 3), kWorkMemory);
    EXPECT_EQ(ShownSlot(true, 0), 1);
    EXPECT_EQ(ShownSlot(true, 4), 5);
    EXPECT_EQ(ShownSlot(true, 9), kWorkMemory);  // no such memory
    MatrixState s{};
    s.SelectedUnit = 6;
    EXPECT_EQ(MatrixModel(s).selectedUnit(), 2);
}

TEST(HintText, SplitsAtTheFirstBarKeepingBlanks) {
    const HintParts p = SplitHint(QStringLiteral("Line 01-Channel 01 | Line 01 connected | x"));
    EXPECT_EQ(p.shortPart, QStringLiteral("Line 01-Channel 01 "));
    EXPECT_EQ(p.longPart, QStringLiteral(" Line 01 connected | x"));
    const HintParts whole = SplitHint(QStringLiteral("Unit"));
    EXPECT_EQ(whole.shortPart, QStringLiteral("Unit"));
    EXPECT_EQ(whole.longPart, QStringLiteral("Unit"));
}

TEST(HintSize, PictureBesideTheTextThenTheRim) {
    EXPECT_EQ(HintWindowSize(QSize(100, 13), QSize(32, 32), true), QSize(144, 36));
    EXPECT_EQ(HintWindowSize(QSize(100, 50), QSize(32, 32), true), QSize(144, 54));
    EXPECT_EQ(HintWindowSize(QSize(100, 13), QSize(), false), QSize(106, 15));

    EXPECT_EQ(HintTextWidthLimit(-1, 32, true), std::nullopt);
    EXPECT_EQ(HintTextWidthLimit(0, 32, true), std::nullopt);
    EXPECT_EQ(HintTextWidthLimit(200, 32, true), 168);
    EXPECT_EQ(HintTextWidthLimit(20, 32, true), 50);
    EXPECT_EQ(HintTextWidthLimit(200, 0, false), 200);
}

TEST(HintPlacement, BelowThePointerAndAlwaysOnItsScreen) {
    struct Case {
        const char* what;
        QRect screen;
        QPoint pointer;
        QSize hint;
        QPoint at;
    };
    const QRect first(0, 0, 1600, 800);
    const QRect second(1600, 0, 1280, 1024);  // right of the first one
    const Case cases[] = {
        {"room below and right", first, {100, 100}, {144, 36}, {100, 120}},
        {"exactly fits the corner", first, {1456, 744}, {144, 36}, {1456, 764}},
        {"right edge: ends at the pointer", first, {1500, 100}, {144, 36}, {1356, 120}},
        {"bottom edge: above the pointer", first, {100, 780}, {144, 36}, {100, 744}},
        {"corner: left of and above", first, {1599, 799}, {144, 36}, {1455, 763}},
        {"second screen, right edge", second, {2870, 500}, {144, 36}, {2726, 520}},
        {"second screen, left edge stays on it", second, {1600, 1000}, {144, 36}, {1600, 964}},
        {"wider than room either side", {0, 0, 300, 200}, {150, 50}, {250, 36}, {0, 70}},
        {"wider than the screen", {0, 0, 300, 200}, {150, 50}, {400, 36}, {0, 70}},
        {"taller than room either way", {0, 0, 300, 200}, {10, 100}, {100, 150}, {10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HintPosition(c.screen, c.pointer, c.hint), c.at);
    }
}
