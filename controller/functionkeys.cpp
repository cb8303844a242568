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

struct ModePatterns {
    const BlinkPattern* on;
    const BlinkPattern* off;
    const BlinkPattern* end;
    int limit;
};

constexpr ModePatterns PatternsOf(std::uint8_t mode) {
    switch (mode) {
        case StoreSelect:
            return {&kStoreOn, &kStoreOff, &kSelectEnd, 5};
        case PreviewSelect:
            return {&kPreviewOn, &kPreviewOff, &kSelectEnd, 5};
        case ClearConfirm:
            return {&kClearOn, &kConfirmOff, &kConfirmEnd, 5};
        case ReverseConfirm:
            return {&kReverseOn, &kConfirmOff, &kConfirmEnd, 5};
        case PreviewShow:
            return {&kShowOn, &kShowOff, &kShowEnd, 10};
        default:
            return {nullptr, nullptr, nullptr, 0};
    }
}

// A step left for another before it ended takes its own lamps with it; otherwise the lamp of
// the key pressed first could stay lit, or REVERSE stay down, after the new step has ended.
BlinkPattern LeavePattern(std::uint8_t from) {
    BlinkPattern leave;
    switch (from) {
        case StoreSelect:
            leave.store = Dark;
            break;
        case PreviewSelect:
            leave.preview = Dark;
            break;
        case PreviewShow:
            // The preview's prompt is replaced, so the grid returns to the work memory at once.
            leave.preview = Dark;
            leave.refreshGrid = true;
            break;
        case ClearConfirm:
            leave.clear = Dark;
            leave.reverse = FollowReverse;
            leave.ok = Dark;
            break;
        case ReverseConfirm:
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

const BlinkPattern* OnPattern(std::uint8_t mode) {
    return PatternsOf(mode).on;
}
const BlinkPattern* OffPattern(std::uint8_t mode) {
    return PatternsOf(mode).off;
}
const BlinkPattern* EndPattern(std::uint8_t mode) {
    return PatternsOf(mode).end;
}
int BlinkLimit(std::uint8_t mode) {
    return PatternsOf(mode).limit;
}

BlinkTick TickArmedStep(std::uint8_t& mode, std::uint8_t& blinkCount, std::uint8_t& blinkPhase) {
    const ModePatterns p = PatternsOf(mode);
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
        mode = Idle;
    }
    return tick;
}

KeyPress PressFunctionKey(int tag, std::uint8_t& mode, std::uint8_t& blinkCount) {
    KeyPress press;
    if (tag == kOkTag) {
        if (mode == ClearConfirm) press.action = OkAction::ClearWork;
        if (mode == ReverseConfirm) press.action = OkAction::SwitchReverse;
        blinkCount = kEndArmedStep;
        return press;
    }
    std::uint8_t next = StoreSelect;
    switch (tag) {
        case kPreviewTag:
            next = PreviewSelect;
            press.caption1 = "PREVIEW";
            press.caption2 = "Select Memory Number";
            break;
        case kClearTag:
            next = ClearConfirm;
            press.caption1 = "CLEAR";
            press.caption2 = "Are you sure?";
            press.showOk = true;
            break;
        case kReverseTag:
            next = ReverseConfirm;
            press.caption1 = "REVERSE";
            press.caption2 = "Are you sure?";
            press.showOk = true;
            break;
        default:
            press.caption1 = "STORE";
            press.caption2 = "Select Memory Number";
            break;
    }
    if (next != mode) press.leave = LeavePattern(mode);
    mode = next;
    blinkCount = 0;
    return press;
}

}  // namespace corvane
