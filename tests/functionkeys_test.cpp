#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "controller/functionkeys.h"

using namespace corvane;

namespace {

struct Armed {
    std::uint8_t mode;
    std::uint8_t phase;
    int firstPrompt;  // tick whose on half first shows the prompts
    int endTick;      // tick that paints the end and returns to Idle
};

void PrintTo(const Armed& a, std::ostream* os) {
    *os << "mode " << int(a.mode) << ", phase " << int(a.phase);
}

class ArmedStepTiming : public testing::TestWithParam<Armed> {};

TEST_P(ArmedStepTiming, ShowsPromptsOnEveryOtherTickAndEndsAtTheLimit) {
    const Armed a = GetParam();
    std::uint8_t mode = a.mode;
    std::uint8_t count = 0;
    std::uint8_t phase = a.phase;
    std::vector<int> prompts;
    int ended = 0;
    for (int t = 1; t <= 30 && mode != Idle; ++t) {
        const BlinkTick tick = TickArmedStep(mode, count, phase);
        ASSERT_NE(tick.half, nullptr) << "tick " << t;
        if (tick.end) {
            ended = t;
            EXPECT_EQ(tick.end, EndPattern(a.mode));
            EXPECT_EQ(tick.end->prompts, Prompts::Hidden);
            EXPECT_TRUE(tick.end->hideOk);
        } else if (tick.half->prompts == Prompts::Shown) {
            prompts.push_back(t);
        }
    }
    EXPECT_EQ(ended, a.endTick);
    EXPECT_EQ(mode, Idle);
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.front(), a.firstPrompt);
    // On halves alternate with off halves up to the end.
    for (std::size_t i = 1; i < prompts.size(); ++i) EXPECT_EQ(prompts[i] - prompts[i - 1], 2);
    EXPECT_EQ(prompts.back() + 2, a.endTick);
}

INSTANTIATE_TEST_SUITE_P(Modes, ArmedStepTiming,
                         testing::Values(Armed{StoreSelect, 0, 1, 9}, Armed{StoreSelect, 1, 2, 10},
                                         Armed{PreviewSelect, 0, 1, 9}, Armed{PreviewSelect, 1, 2, 10},
                                         Armed{ClearConfirm, 0, 1, 9}, Armed{ReverseConfirm, 1, 2, 10},
                                         Armed{PreviewShow, 0, 1, 19}, Armed{PreviewShow, 1, 2, 20}));

TEST(ArmedStep, FiftyEndsEveryArmedModeAtTheNextTickInEitherPhase) {
    for (std::uint8_t start : {StoreSelect, PreviewSelect, ClearConfirm, ReverseConfirm, PreviewShow}) {
        for (std::uint8_t startPhase : {0, 1}) {
            std::uint8_t mode = start, count = kEndArmedStep, phase = startPhase;
            const BlinkTick tick = TickArmedStep(mode, count, phase);
            EXPECT_EQ(tick.half, startPhase == 0 ? OnPattern(start) : OffPattern(start));
            EXPECT_EQ(tick.end, EndPattern(start)) << int(start);
            EXPECT_EQ(mode, Idle);
            EXPECT_EQ(phase, 1 - startPhase);
        }
    }
    // A count that cannot grow further still ends the step instead of wrapping to zero.
    std::uint8_t mode = ClearConfirm, count = 255, phase = 0;
    EXPECT_NE(TickArmedStep(mode, count, phase).end, nullptr);
    EXPECT_EQ(mode, Idle);
}

TEST(ArmedStep, IdleAndUnknownModesChangeNothing) {
    for (std::uint8_t start : {0, 1, 6, 29, 31, 255}) {
        std::uint8_t mode = start, count = 3, phase = 1;
        const BlinkTick tick = TickArmedStep(mode, count, phase);
        EXPECT_EQ(tick.half, nullptr);
        EXPECT_EQ(tick.end, nullptr);
        EXPECT_EQ(mode, start);
        EXPECT_EQ(count, 3);
        EXPECT_EQ(phase, 1);
    }
}

TEST(ArmedStep, OnlyTheConfirmationsRestoreReverseAndOnlyThePreviewRedrawsTheGrid) {
    for (std::uint8_t mode : {StoreSelect, PreviewSelect, ClearConfirm, ReverseConfirm, PreviewShow}) {
        const BlinkPattern& end = *EndPattern(mode);
        const bool confirm = mode == ClearConfirm || mode == ReverseConfirm;
        EXPECT_EQ(end.restoreReverseKey, confirm) << int(mode);
        EXPECT_EQ(end.reverse, confirm ? Lamp::FollowReverse : Lamp::Keep) << int(mode);
        EXPECT_EQ(end.refreshGrid, mode == PreviewShow) << int(mode);
        EXPECT_EQ(end.memory, MemoryLamps::Usual);
        // Whatever the on half lit, the off half or the end darkens again.
        const BlinkPattern& on = *OnPattern(mode);
        const BlinkPattern& off = *OffPattern(mode);
        for (auto lamp : {&BlinkPattern::store, &BlinkPattern::preview, &BlinkPattern::clear,
                          &BlinkPattern::reverse, &BlinkPattern::ok}) {
            if (on.*lamp == Lamp::Lit) {
                EXPECT_EQ(off.*lamp, Lamp::Dark) << int(mode);
                EXPECT_NE(end.*lamp, Lamp::Keep) << int(mode);
            }
        }
    }
}

struct Press {
    int tag;
    std::uint8_t mode;
    std::string caption1;
    std::string caption2;
    bool showOk;
};

void PrintTo(const Press& p, std::ostream* os) {
    *os << "tag " << p.tag;
}

class FunctionKeyPress : public testing::TestWithParam<Press> {};

TEST_P(FunctionKeyPress, ArmsItsStepFromAnyMode) {
    const Press p = GetParam();
    for (std::uint8_t from : {Idle, StoreSelect, PreviewSelect, ClearConfirm, ReverseConfirm, PreviewShow}) {
        std::uint8_t mode = from, count = 4;
        const KeyPress press = PressFunctionKey(p.tag, mode, count);
        EXPECT_EQ(mode, p.mode);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(press.caption1, p.caption1);
        EXPECT_EQ(press.caption2, p.caption2);
        EXPECT_EQ(press.showOk, p.showOk);
        EXPECT_EQ(press.action, OkAction::None);
        // Leaving a preview for another step shows the work memory at once.
        EXPECT_EQ(press.leave.refreshGrid, from == PreviewShow && p.mode != PreviewShow);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, FunctionKeyPress,
                         testing::Values(Press{0, StoreSelect, "STORE", "Select Memory Number", false},
                                         Press{1, PreviewSelect, "PREVIEW", "Select Memory Number", false},
                                         Press{2, ClearConfirm, "CLEAR", "Are you sure?", true},
                                         Press{3, ReverseConfirm, "REVERSE", "Are you sure?", true},
                                         Press{9, StoreSelect, "STORE", "Select Memory Number", false},
                                         Press{-1, StoreSelect, "STORE", "Select Memory Number", false}));

TEST(FunctionKeyPress, OkCompletesOnlyTheConfirmationsAndEndsAnyStep) {
    const std::pair<std::uint8_t, OkAction> cases[] = {
        {Idle, OkAction::None},
        {StoreSelect, OkAction::None},
        {PreviewSelect, OkAction::None},
        {PreviewShow, OkAction::None},
        {ClearConfirm, OkAction::ClearWork},
        {ReverseConfirm, OkAction::SwitchReverse},
    };
    for (const auto& [from, action] : cases) {
        std::uint8_t mode = from, count = 2;
        const KeyPress press = PressFunctionKey(kOkTag, mode, count);
        EXPECT_EQ(press.action, action) << int(from);
        EXPECT_EQ(mode, from);
        EXPECT_EQ(count, kEndArmedStep);
        EXPECT_EQ(press.caption1, nullptr);
        EXPECT_FALSE(press.showOk);
    }
}

TEST(FunctionKeyPress, ALeftStepTakesItsLampsAndTheReverseKeyWithIt) {
    std::uint8_t mode = ReverseConfirm, count = 0;
    KeyPress press = PressFunctionKey(kStoreTag, mode, count);
    EXPECT_TRUE(press.leave.restoreReverseKey);
    EXPECT_EQ(press.leave.reverse, Lamp::FollowReverse);
    EXPECT_EQ(press.leave.ok, Lamp::Dark);

    // REVERSE twice keeps what the second click asked for.
    mode = ReverseConfirm;
    press = PressFunctionKey(kReverseTag, mode, count);
    EXPECT_FALSE(press.leave.restoreReverseKey);
    EXPECT_EQ(press.leave.reverse, Lamp::Keep);

    mode = ClearConfirm;
    press = PressFunctionKey(kPreviewTag, mode, count);
    EXPECT_EQ(press.leave.clear, Lamp::Dark);
    EXPECT_FALSE(press.leave.restoreReverseKey);

    mode = StoreSelect;
    press = PressFunctionKey(kClearTag, mode, count);
    EXPECT_EQ(press.leave.store, Lamp::Dark);
    EXPECT_EQ(press.leave.memory, MemoryLamps::Usual);

    mode = Idle;
    press = PressFunctionKey(kClearTag, mode, count);
    EXPECT_EQ(press.leave.memory, MemoryLamps::Keep);
    EXPECT_EQ(press.leave.clear, Lamp::Keep);
}

}  // namespace
