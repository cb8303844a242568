#pragma once

#include <cstdint>

namespace corvane {

// The armed step of the FUNCTIONS panel. Any other value is a step nothing arms, which blinks
// and ends nothing.
enum class Step : std::uint8_t {
    Idle = 1,
    StoreSelect = 2,
    PreviewSelect = 3,
    ClearConfirm = 4,
    ReverseConfirm = 5,
    PreviewShow = 30,
};

// Tags of the keys of the FUNCTIONS panel and of OK.
inline constexpr int kStoreTag = 0;
inline constexpr int kPreviewTag = 1;
inline constexpr int kClearTag = 2;
inline constexpr int kReverseTag = 3;
inline constexpr int kOkTag = 4;

// Any armed step ends at the next blink tick once its blink count holds this.
inline constexpr std::uint8_t kEndArmedStep = 50;

// How a lamp is painted; Keep leaves it as it is. FollowReverse: lit in reverse routing.
enum class Lamp : std::uint8_t { Keep, Dark, Lit, FollowReverse };

// The five memory lamps: Usual is the selected unit's current memory alone, as the memory
// indicators normally show it; PreviewOnly is the previewed memory alone.
enum class MemoryLamps : std::uint8_t { Keep, Usual, AllLit, AllDark, PreviewOnly };

enum class Prompts : std::uint8_t { Keep, Shown, Hidden };

// What one blink half, or the end of a step, paints on the FUNCTIONS panel and around it.
struct BlinkPattern {
    MemoryLamps memory = MemoryLamps::Keep;
    Lamp store = Lamp::Keep;  // the lamps under the keys and beside OK
    Lamp preview = Lamp::Keep;
    Lamp clear = Lamp::Keep;
    Lamp reverse = Lamp::Keep;
    Lamp ok = Lamp::Keep;
    Prompts prompts = Prompts::Keep;
    bool hideOk = false;             // OK and its lamp hidden
    bool restoreReverseKey = false;  // REVERSE shown down exactly in reverse routing
    bool refreshGrid = false;        // the grid shows the work memory again
};

// What the end of an armed step paints; nullptr for Idle and unknown values.
const BlinkPattern* EndPattern(Step step);

// What one tick of the blink timer paints, in this order; either may be nullptr.
struct BlinkTick {
    const BlinkPattern* half = nullptr;
    const BlinkPattern* end = nullptr;
};

// The armed branch of the blink timer: paints a half, counts on halves, flips the phase and
// returns to Idle at the step's limit. Idle and unknown steps change nothing.
BlinkTick TickArmedStep(Step& step, std::uint8_t& blinkCount, std::uint8_t& blinkPhase);

enum class OkAction : std::uint8_t { None, ClearWork, SwitchReverse };

// What pressing a key of the FUNCTIONS panel, or OK, asks of the window.
struct KeyPress {
    const char* caption1 = nullptr;  // nullptr: the prompts keep their captions
    const char* caption2 = nullptr;
    bool showOk = false;  // OK and its lamp appear at once
    OkAction action = OkAction::None;
    // Lamps of a step left for another one before it ended, so none of them stays lit.
    BlinkPattern leave;
};

// Arms the step of the key with this tag or, for OK, tells what OK completes. STORE is also the
// answer for any unknown tag.
KeyPress PressFunctionKey(int tag, Step& step, std::uint8_t& blinkCount);

// The function keys' state: the armed step, how many on halves it has blinked, which half comes
// next and the memory a preview shows. The blink phase is shared with the unsaved memory's lamp,
// which blinks on the same timer while no step is armed.
class FunctionKeys {
  public:
    Step step() const { return m_step; }
    bool armed() const { return m_step != Step::Idle; }
    bool previewing() const { return m_step == Step::PreviewShow; }
    int blinkCount() const { return m_blinkCount; }
    int blinkPhase() const { return m_blinkPhase; }
    int previewMemory() const { return m_previewMemory; }

    // A key of the panel, or OK (kOkTag).
    KeyPress press(int key) { return PressFunctionKey(key, m_step, m_blinkCount); }
    // The armed branch of a blink tick.
    BlinkTick tick() { return TickArmedStep(m_step, m_blinkCount, m_blinkPhase); }
    // Any armed step ends at its next tick.
    void endArmedStep() { m_blinkCount = kEndArmedStep; }
    void startPreview(int memory) {
        m_previewMemory = static_cast<std::uint8_t>(memory);
        m_step = Step::PreviewShow;
        m_blinkCount = 0;
    }
    // Back to Idle at once, without the end of the step.
    void dropStep() { m_step = Step::Idle; }
    void resetPhase() { m_blinkPhase = 0; }
    // Returns the phase before the flip.
    int flipPhase() {
        const int was = m_blinkPhase;
        m_blinkPhase = was == 0 ? 1 : 0;
        return was;
    }

  private:
    Step m_step = Step::Idle;
    std::uint8_t m_blinkCount = 0;
    std::uint8_t m_blinkPhase = 0;
    std::uint8_t m_previewMemory = 0;
};

}  // namespace corvane
