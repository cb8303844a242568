#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "app/corvane.h"
#include "model/memoryops.h"
#include "view/angledlabel.h"
#include "view/bevelpanel.h"
#include "view/led.h"

namespace corvane {

namespace {
constexpr int kMemoryKeyLeft[kMemories] = {10, 56, 102, 148, 194};
constexpr QPoint kMemoryLedAt[kMemories] = {{18, 59}, {64, 60}, {110, 60}, {156, 60}, {202, 59}};

// Panel titles: a black, heavy face; machines without it get the bold face of a legible family.
QFont TitleFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans")});
    font.setWeight(QFont::Black);
    font.setPixelSize(pixelSize);
    return font;
}
}  // namespace

void TCorvane_Form::BuildMemoryPanel() {
    if (!Panel2) {
        Panel2 = new BevelPanel(centralWidget());
        Panel2->setGeometry(ClientRect(0, 465, 240, 86));
        Panel2->setBevelWidth(2);
        Panel2->setBackground(QPixmap(QStringLiteral(":/recall-background.png")), true);
    }
    RecallTitle = new AngledLabel(Panel2);
    RecallTitle->setGeometry(-1, 0, 241, 29);
    RecallTitle->setCaption(QStringLiteral("Direct Memory Recall"));
    RecallTitle->setLabelFont(TitleFont(19));
    RecallTitle->setCentred(true);
    RecallTitle->setShadowed(true);

    for (int m = 0; m < kMemories; ++m) {
        auto* key = new QPushButton(Panel2);
        key->setObjectName(QStringLiteral("Memory%1").arg(m + 1));
        key->setGeometry(kMemoryKeyLeft[m], 28, 36, 26);
        key->setIcon(QIcon(QStringLiteral(":/digit-%1.png").arg(m + 1)));
        key->setIconSize(QSize(16, 16));
        key->setFocusPolicy(Qt::NoFocus);
        key->setToolTip(QStringLiteral("Memory %1").arg(m + 1));
        key->setStatusTip(QStringLiteral("Recall the Memory%1 in the unit").arg(m + 1));
        connect(key, &QPushButton::clicked, this, [this, m] { Memory1Click(m); });
        Memory[static_cast<std::size_t>(m)] = key;

        auto* led = new Led(Panel2);
        led->setObjectName(QStringLiteral("Led%1").arg(m + 1));
        led->setGeometry(QRect(kMemoryLedAt[m], QSize(20, 20)));
        Leds[static_cast<std::size_t>(m + 1)] = led;
    }
}

int TCorvane_Form::SelectedUnitIndex() const {
    return m_state.SelectedUnit < kUnits ? m_state.SelectedUnit : kUnits - 1;
}

Led* TCorvane_Form::MemoryLed(int memory) const {
    return IsMemory(memory) ? Leds[static_cast<std::size_t>(memory + 1)] : nullptr;
}

void TCorvane_Form::Memory1Click(int memory) {
    if (!IsMemory(memory)) return;
    if (FunctionMode == StoreSelect) {
        StoreMemory(memory);
        return;
    }
    if (FunctionMode == PreviewSelect) {
        StartPreview(memory);
        return;
    }
    RecallMemory(memory);
    const int unit = SelectedUnitIndex();
    m_link.sendCommand(RequestCode::Recall, m_state.CurrentMemory[unit], static_cast<std::uint16_t>(unit));
    BlinkCount = 50;
    RefreshGrid();
    for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
    ShowMemoryLeds();
    ShowMemoryStatus();
}

void TCorvane_Form::RecallMemory(int memory) {
    // A memory number from the unit outside 0..4 names no slot; the model stays as it is.
    if (!IsMemory(memory)) return;
    corvane::RecallMemory(m_state, memory);
}

void TCorvane_Form::ShowMemoryLeds() {
    for (int m = 0; m < kMemories; ++m) MemoryLed(m)->setLit(false);
    if (Led* led = MemoryLed(m_state.CurrentMemory[SelectedUnitIndex()])) led->setLit(true);
}

void TCorvane_Form::ShowMemoryStatus() {
    const int unit = SelectedUnitIndex();
    const int shown = m_state.CurrentMemory[unit] + 1;
    QString text;
    if (m_state.UnsavedFlags[unit] != 0) {
        text = QStringLiteral("Memory: %1 - Unsaved").arg(shown);
        TimerDiferente.setEnabled(true);
    } else {
        text = QStringLiteral("Memory: %1").arg(shown);
        if (FunctionMode == Idle) TimerDiferente.setEnabled(false);
        BlinkPhase = 0;
        ShowMemoryLeds();
    }
    StatusPanels[0]->setText(text);
}

void TCorvane_Form::ShowUnitStatus() {
    StatusPanels[1]->setText(QStringLiteral("Unit: %1").arg(m_state.SelectedUnit + 1));
}

void TCorvane_Form::TimerDiferenteTimer() {
    if (FunctionMode != Idle) {
        FunctionKeyTick();
        return;
    }
    const int unit = SelectedUnitIndex();
    if (m_state.UnsavedFlags[unit] == 0) {
        ShowMemoryLeds();
        ShowMemoryStatus();
        TimerDiferente.setEnabled(false);
        BlinkPhase = 0;
        return;
    }
    if (Led* led = MemoryLed(m_state.CurrentMemory[unit])) led->setLit(BlinkPhase == 0);
    BlinkPhase = BlinkPhase == 0 ? 1 : 0;
}

}  // namespace corvane
