#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "controller/functionkeys.h"

using namespace corvane;

namespace {

// The half an armed step paints at a tick in this phase, before it reaches its limit.
const BlinkPattern* Half(Step step, std::uint8_t phase) {
    std::uint8_t count = 0;
    return TickArmedStep(step, count, phase).half;
}

struct Armed {
    Step mode;
    std::uint8_t phase;
    int firstPrompt;  // tick whose on half first shows the prompts
    int endTick;      // tick that paints the end and returns to Step::Idle
};

void PrintTo(const Armed& a, std::ostream* os) {
    *os << "mode " << int(a.mode) << ", phase " << int(a.phase);
}

class ArmedStepTiming : public testing::TestWithParam<Armed> {};

TEST_P(ArmedStepTiming, ShowsPromptsOnEveryOtherTickAndEndsAtTheLimit) {
    const Armed a = GetParam();
    Step mode = a.mode;
    std::uint8_t count = 0;
    std::uint8_t phase = a.phase;
    std::vector<int> prompts;
    int ended = 0;
    for (int t = 1; t <= 30 && mode != Step::Idle; ++t) {
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
    EXPECT_EQ(mode, Step::Idle);
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.front(), a.firstPrompt);
    // On halves alternate with off halves up to the end.
    for (std::size_t i = 1; i < prompts.size(); ++i) EXPECT_EQ(prompts[i] - prompts[i - 1], 2);
    EXPECT_EQ(prompts.back() + 2, a.endTick);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ArmedStepTiming,
    testing::Values(Armed{Step::StoreSelect, 0, 1, 9}, Armed{Step::StoreSelect, 1, 2, 10},
                    Armed{Step::PreviewSelect, 0, 1, 9}, Armed{Step::PreviewSelect, 1, 2, 10},
                    Armed{Step::ClearConfirm, 0, 1, 9}, Armed{Step::ReverseConfirm, 1, 2, 10},
                    Armed{Step::PreviewShow, 0, 1, 19}, Armed{Step::PreviewShow, 1, 2, 20}));

TEST(ArmedStep, FiftyEndsEveryArmedModeAtTheNextTickInEitherPhase) {
    for (Step start : {Step::StoreSelect, Step::PreviewSelect, Step::ClearConfirm, Step::ReverseConfirm,
                       Step::PreviewShow}) {
        for (std::uint8_t startPhase : {0, 1}) {
            Step mode = start;
            std::uint8_t count = kEndArmedStep, phase = startPhase;
            const BlinkTick tick = TickArmedStep(mode, count, phase);
            EXPECT_EQ(tick.half, Half(start, startPhase));
            EXPECT_EQ(tick.end, EndPattern(start)) << int(start);
            EXPECT_EQ(mode, Step::Idle);
            EXPECT_EQ(phase, 1 - startPhase);
        }
    }
    // A count that cannot grow further still ends the step instead of wrapping to zero.
    Step mode = Step::ClearConfirm;
    std::uint8_t count = 255, phase = 0;
    EXPECT_NE(TickArmedStep(mode, count, phase).end, nullptr);
    EXPECT_EQ(mode, Step::Idle);
}

TEST(ArmedStep, IdleAndUnknownModesChangeNothing) {
    for (std::uint8_t value : {0, 1, 6, 29, 31, 255}) {
        const auto start = static_cast<Step>(value);
        Step mode = start;
        std::uint8_t count = 3, phase = 1;
        const BlinkTick tick = TickArmedStep(mode, count, phase);
        EXPECT_EQ(tick.half, nullptr);
        EXPECT_EQ(tick.end, nullptr);
        EXPECT_EQ(mode, start);
        EXPECT_EQ(count, 3);
        EXPECT_EQ(phase, 1);
    }
}

TEST(ArmedStep, OnlyTheConfirmationsRestoreReverseAndOnlyThePreviewRedrawsTheGrid) {
    for (Step mode : {Step::StoreSelect, Step::PreviewSelect, Step::ClearConfirm, Step::ReverseConfirm,
                      Step::PreviewShow}) {
        const BlinkPattern& end = *EndPattern(mode);
        const bool confirm = mode == Step::ClearConfirm || mode == Step::ReverseConfirm;
        EXPECT_EQ(end.restoreReverseKey, confirm) << int(mode);
        EXPECT_EQ(end.reverse, confirm ? Lamp::FollowReverse : Lamp::Keep) << int(mode);
        EXPECT_EQ(end.refreshGrid, mode == Step::PreviewShow) << int(mode);
        EXPECT_EQ(end.memory, MemoryLamps::Usual);
        // Whatever the on half lit, the off half or the end darkens again.
        const BlinkPattern& on = *Half(mode, 0);
        const BlinkPattern& off = *Half(mode, 1);
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
    Step mode;
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
    for (Step from : {Step::Idle, Step::StoreSelect, Step::PreviewSelect, Step::ClearConfirm,
                      Step::ReverseConfirm, Step::PreviewShow}) {
        Step mode = from;
        std::uint8_t count = 4;
        const KeyPress press = PressFunctionKey(p.tag, mode, count);
        EXPECT_EQ(mode, p.mode);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(press.caption1, p.caption1);
        EXPECT_EQ(press.caption2, p.caption2);
        EXPECT_EQ(press.showOk, p.showOk);
        EXPECT_EQ(press.action, OkAction::None);
        // Leaving a preview for another step shows the work memory at once.
        EXPECT_EQ(press.leave.refreshGrid, from == Step::PreviewShow && p.mode != Step::PreviewShow);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FunctionKeyPress,
    testing::Values(Press{0, Step::StoreSelect, "STORE", "Select Memory Number", false},
                    Press{1, Step::PreviewSelect, "PREVIEW", "Select Memory Number", false},
                    Press{2, Step::ClearConfirm, "CLEAR", "Are you sure?", true},
                    Press{3, Step::ReverseConfirm, "REVERSE", "Are you sure?", true},
                    Press{9, Step::StoreSelect, "STORE", "Select Memory Number", false},
                    Press{-1, Step::StoreSelect, "STORE", "Select Memory Number", false}));

TEST(FunctionKeyPress, OkCompletesOnlyTheConfirmationsAndEndsAnyStep) {
    const std::pair<Step, OkAction> cases[] = {
        {Step::Idle, OkAction::None},
        {Step::StoreSelect, OkAction::None},
        {Step::PreviewSelect, OkAction::None},
        {Step::PreviewShow, OkAction::None},
        {Step::ClearConfirm, OkAction::ClearWork},
        {Step::ReverseConfirm, OkAction::SwitchReverse},
    };
    for (const auto& [from, action] : cases) {
        Step mode = from;
        std::uint8_t count = 2;
        const KeyPress press = PressFunctionKey(kOkTag, mode, count);
        EXPECT_EQ(press.action, action) << int(from);
        EXPECT_EQ(mode, from);
        EXPECT_EQ(count, kEndArmedStep);
        EXPECT_EQ(press.caption1, nullptr);
        EXPECT_FALSE(press.showOk);
    }
}

TEST(FunctionKeyPress, ALeftStepTakesItsLampsAndTheReverseKeyWithIt) {
    Step mode = Step::ReverseConfirm;
    std::uint8_t count = 0;
    KeyPress press = PressFunctionKey(kStoreTag, mode, count);
    EXPECT_TRUE(press.leave.restoreReverseKey);
    EXPECT_EQ(press.leave.reverse, Lamp::FollowReverse);
    EXPECT_EQ(press.leave.ok, Lamp::Dark);

    // REVERSE twice keeps what the second click asked for.
    mode = Step::ReverseConfirm;
    press = PressFunctionKey(kReverseTag, mode, count);
    EXPECT_FALSE(press.leave.restoreReverseKey);
    EXPECT_EQ(press.leave.reverse, Lamp::Keep);

    mode = Step::ClearConfirm;
    press = PressFunctionKey(kPreviewTag, mode, count);
    EXPECT_EQ(press.leave.clear, Lamp::Dark);
    EXPECT_FALSE(press.leave.restoreReverseKey);

    mode = Step::StoreSelect;
    press = PressFunctionKey(kClearTag, mode, count);
    EXPECT_EQ(press.leave.store, Lamp::Dark);
    EXPECT_EQ(press.leave.memory, MemoryLamps::Usual);

    mode = Step::Idle;
    press = PressFunctionKey(kClearTag, mode, count);
    EXPECT_EQ(press.leave.memory, MemoryLamps::Keep);
    EXPECT_EQ(press.leave.clear, Lamp::Keep);
}

}  // namespace
