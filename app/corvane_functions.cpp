#include <QPushButton>

#include "app/corvane.h"
#include "view/led.h"

namespace corvane {

void TCorvane_Form::BuildFunctionPanel() {
    ReverseButton = new QPushButton(QStringLiteral("REVERSE"), centralWidget());
    ReverseButton->setCheckable(true);
    for (int i = 6; i <= 10; ++i) Leds[i] = new Led(centralWidget());
}
void TCorvane_Form::StoreButtonClick(int) {}
void TCorvane_Form::StoreMemory(int) {}
void TCorvane_Form::StartPreview(int) {}
void TCorvane_Form::ClearWorkMemory() {}
void TCorvane_Form::ApplyReverseMode() {}
void TCorvane_Form::EndArmedStep() {}

}  // namespace corvane
