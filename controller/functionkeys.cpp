#include "controller/functionkeys.h"

namespace corvane {

namespace {

constexpr Lamp Dark = Lamp::Dark;
constexpr Lamp Lit = Lamp::Lit;
constexpr Lamp FollowReverse = Lamp::FollowReverse;
constexpr MemoryLamps Usual = MemoryLamps::Usual;
constexpr MemoryLamps AllLit = MemoryLamps::AllLit;
constexpr MemoryLamps AllDark = MemoryLamps::AllDark;
constexpr MemoryLamps PreviewOnly = MemoryLamps::PreviewOnly;

constexpr BlinkPattern kStoreOn{.memory = AllLit, .store = Lit, .prompts = Prompts::Shown};
constexpr BlinkPattern kStoreOff{.memory = Usual, .store = Dark, .prompts = Prompts::Hidden};
constexpr BlinkPattern kPreviewOn{.memory = AllLit, .preview = Lit, .prompts = Prompts::Shown};
constexpr BlinkPattern kPreviewOff{.memory = Usual, .preview = Dark, .prompts = Prompts::Hidden};
constexpr BlinkPattern kSelectEnd{
    .memory = Usual, .store = Dark, .preview = Dark, .ok = Dark, .prompts = Prompts::Hidden, .hideOk = true};

constexpr BlinkPattern kShowOn{.memory = PreviewOnly, .preview = Lit, .prompts = Prompts::Shown};
constexpr BlinkPattern kShowOff{.memory = AllDark, .preview = Dark, .prompts = Prompts::Hidden};
constexpr BlinkPattern kShowEnd{.memory = Usual,
                                .preview = Dark,
                                .ok = Dark,
                                .prompts = Prompts::Hidden,
                                .hideOk = true,
                                .refreshGrid = true};

constexpr BlinkPattern kClearOn{.memory = Usual, .clear = Lit, .ok = Lit, .prompts = Prompts::Shown};
constexpr BlinkPattern kReverseOn{.memory = Usual, .reverse = Lit, .ok = Lit, .prompts = Prompts::Shown};
constexpr BlinkPattern kConfirmOff{
    .memory = AllDark, .clear = Dark, .reverse = Dark, .ok = Dark, .prompts = Prompts::Hidden};
// The REVERSE lamp goes dark with the others and then shows the orientation in force.
constexpr BlinkPattern kConfirmEnd{.memory = Usual,
                                   .clear = Dark,
                                   .reverse = FollowReverse,
                                   .ok = Dark,
                                   .prompts = Prompts::Hidden,
                                   .hideOk = true,
                                   .restoreReverseKey = true};

struct StepPatterns {
    const BlinkPattern* on;
    const BlinkPattern* off;
    const BlinkPattern* end;
    int limit;
};

constexpr StepPatterns PatternsOf(Step step) {
    switch (step) {
        case Step::StoreSelect:
            return {&kStoreOn, &kStoreOff, &kSelectEnd, 5};
        case Step::PreviewSelect:
            return {&kPreviewOn, &kPreviewOff, &kSelectEnd, 5};
        case Step::ClearConfirm:
            return {&kClearOn, &kConfirmOff, &kConfirmEnd, 5};
        case Step::ReverseConfirm:
            return {&kReverseOn, &kConfirmOff, &kConfirmEnd, 5};
        case Step::PreviewShow:
            return {&kShowOn, &kShowOff, &kShowEnd, 10};
        default:
            return {nullptr, nullptr, nullptr, 0};
    }
}

// A step left for another before it ended takes its own lamps with it; otherwise the lamp of
// the key pressed first could stay lit, or REVERSE stay down, after the new step has ended.
BlinkPattern LeavePattern(Step from) {
    BlinkPattern leave;
    switch (from) {
        case Step::StoreSelect:
            leave.store = Dark;
            break;
        case Step::PreviewSelect:
            leave.preview = Dark;
            break;
        case Step::PreviewShow:
            // The preview's prompt is replaced, so the grid returns to the work memory at once.
            leave.preview = Dark;
            leave.refreshGrid = true;
            break;
        case Step::ClearConfirm:
            leave.clear = Dark;
            leave.reverse = FollowReverse;
            leave.ok = Dark;
            break;
        case Step::ReverseConfirm:
            leave.reverse = FollowReverse;
            leave.ok = Dark;
            leave.restoreReverseKey = true;
            break;
        default:
            return leave;
    }
    leave.memory = Usual;
    return leave;
}

}  // namespace

const BlinkPattern* EndPattern(Step step) {
    return PatternsOf(step).end;
}

BlinkTick TickArmedStep(Step& step, std::uint8_t& blinkCount, std::uint8_t& blinkPhase) {
    const StepPatterns p = PatternsOf(step);
    BlinkTick tick;
    if (p.limit == 0) return tick;
    if (blinkPhase == 0) {
        tick.half = p.on;
        if (blinkCount < 255) ++blinkCount;  // a step ended by 50 must not wrap back to counting
    } else {
        tick.half = p.off;
    }
    blinkPhase = blinkPhase == 0 ? 1 : 0;
    if (blinkCount >= p.limit) {
        tick.end = p.end;
        step = Step::Idle;
    }
    return tick;
}

KeyPress PressFunctionKey(int tag, Step& step, std::uint8_t& blinkCount) {
    KeyPress press;
    if (tag == kOkTag) {
        if (step == Step::ClearConfirm) press.action = OkAction::ClearWork;
        if (step == Step::ReverseConfirm) press.action = OkAction::SwitchReverse;
        blinkCount = kEndArmedStep;
        return press;
    }
    Step next = Step::StoreSelect;
    switch (tag) {
        case kPreviewTag:
            next = Step::PreviewSelect;
            press.caption1 = "PREVIEW";
            press.caption2 = "Select Memory Number";
            break;
        case kClearTag:
            next = Step::ClearConfirm;
            press.caption1 = "CLEAR";
            press.caption2 = "Are you sure?";
            press.showOk = true;
            break;
        case kReverseTag:
            next = Step::ReverseConfirm;
            press.caption1 = "REVERSE";
            press.caption2 = "Are you sure?";
            press.showOk = true;
            break;
        default:
            press.caption1 = "STORE";
            press.caption2 = "Select Memory Number";
            break;
    }
    if (next != step) press.leave = LeavePattern(step);
    step = next;
    blinkCount = 0;
    return press;
}

}  // namespace corvane
