#include <QPushButton>

#include "app/corvane.h"
#include "view/angledlabel.h"
#include "view/led.h"

namespace corvane {

// One tick of the blink timer while a function-key step is armed.
void TCorvane_Form::FunctionKeyTick() {
    const BlinkTick tick = TickArmedStep(FunctionMode, BlinkCount, BlinkPhase);
    if (tick.half) ApplyBlinkPattern(*tick.half);
    // The on half that reaches the limit is replaced by the end at once.
    if (tick.end) ApplyBlinkPattern(*tick.end);
}

void TCorvane_Form::FunctionKeyEnd(std::uint8_t mode) {
    if (const BlinkPattern* end = EndPattern(mode)) ApplyBlinkPattern(*end);
}

void TCorvane_Form::ApplyBlinkPattern(const BlinkPattern& pattern) {
    switch (pattern.memory) {
        case MemoryLamps::Keep:
            break;
        case MemoryLamps::Usual:
            ShowMemoryLeds();
            break;
        case MemoryLamps::AllLit:
        case MemoryLamps::AllDark:
            for (int i = 1; i <= kMemories; ++i) Leds[i]->setLit(pattern.memory == MemoryLamps::AllLit);
            break;
        case MemoryLamps::PreviewOnly:
            for (int i = 1; i <= kMemories; ++i) Leds[i]->setLit(i == PreviewMemory + 1);
            break;
    }
    const auto paint = [this](int led, Lamp lamp) {
        switch (lamp) {
            case Lamp::Keep:
                break;
            case Lamp::Dark:
            case Lamp::Lit:
                Leds[led]->setLit(lamp == Lamp::Lit);
                break;
            case Lamp::FollowReverse:
                Leds[led]->setLit(m_state.ReverseMode != 0);
                break;
        }
    };
    paint(6, pattern.store);
    paint(7, pattern.preview);
    paint(8, pattern.clear);
    paint(9, pattern.reverse);
    paint(11, pattern.ok);
    if (pattern.prompts != Prompts::Keep) {
        ActionText1->setVisible(pattern.prompts == Prompts::Shown);
        ActionText2->setVisible(pattern.prompts == Prompts::Shown);
    }
    if (pattern.hideOk) {
        OkButton->hide();
        Leds[11]->hide();
    }
    if (pattern.restoreReverseKey) ReverseButton->setChecked(m_state.ReverseMode != 0);
    if (pattern.refreshGrid) RefreshGrid();
}

}  // namespace corvane
