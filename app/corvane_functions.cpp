#include <QPushButton>

#include "app/corvane.h"
#include "model/memoryops.h"
#include "view/angledlabel.h"
#include "view/bevelpanel.h"
#include "view/led.h"

namespace corvane {

namespace {

// Arial Black where it is installed, otherwise the bold of a family every machine has.
QFont HeavyFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// A hint is a short text for the tool tip and a long one for the status bar, joined by a bar.
void SetHint(QWidget* widget, const char* hint) {
    const QStringList parts = QString::fromLatin1(hint).split(QLatin1Char('|'));
    widget->setToolTip(parts.value(0));
    widget->setStatusTip(parts.value(1));
}

// Keeps the grid panel hidden while the grid is laid out again, so that no half-built grid is
// painted, not even while the request is pending.
class HiddenWhileRebuilt {
  public:
    explicit HiddenWhileRebuilt(QWidget* panel) : m_panel(panel) {
        if (m_panel) {
            m_wasHidden = m_panel->isHidden();
            m_panel->hide();
        }
    }
    ~HiddenWhileRebuilt() {
        if (m_panel && !m_wasHidden) m_panel->show();
    }
    HiddenWhileRebuilt(const HiddenWhileRebuilt&) = delete;
    HiddenWhileRebuilt& operator=(const HiddenWhileRebuilt&) = delete;

  private:
    QWidget* m_panel;
    bool m_wasHidden = false;
};

}  // namespace

void TCorvane_Form::BuildFunctionPanel() {
    if (!Panel3) {
        Panel3 = new BevelPanel(centralWidget());
        Panel3->setGeometry(ClientRect(335, 465, 450, 86));
        Panel3->setBevelWidth(2);
        Panel3->setBackground(QPixmap(QStringLiteral(":/recall-background.png")), true);
    }
    auto* title = new AngledLabel(Panel3);
    title->setGeometry(0, 0, 450, 29);
    title->setLabelFont(HeavyFont(19));
    title->setCentred(true);
    title->setShadowed(true);
    title->setCaption(QStringLiteral("FUNCTIONS"));

    struct Key {
        QPushButton** button;
        const char* caption;
        const char* hint;
        int left;
    };
    const Key keys[] = {
        {&StoreButton, "STORE", "Store|Store the work memory in the selected memory number", 20},
        {&PreviewButton, "PREVIEW", "Preview|Preview the selected memory number", 130},
        {&ClearButton, "CLEAR", "Clear|Clear the working memory", 240},
        {&ReverseButton, "REVERSE", "Reverse|Operation mode Normal/Reverse", 350},
    };
    for (int tag = kStoreTag; tag <= kReverseTag; ++tag) {
        const Key& key = keys[tag];
        auto* button = new QPushButton(QString::fromLatin1(key.caption), Panel3);
        button->setGeometry(key.left, 28, 80, 26);
        button->setFont(HeavyFont(13));
        button->setProperty("Tag", tag);
        SetHint(button, key.hint);
        connect(button, &QPushButton::clicked, this, [this, tag] { StoreButtonClick(tag); });
        *key.button = button;
    }
    // REVERSE toggles before its click is handled, so it shows the orientation asked for.
    ReverseButton->setCheckable(true);

    for (int i = 6; i <= 9; ++i) {
        Leds[i] = new Led(Panel3);
        Leds[i]->setGeometry(50 + 110 * (i - 6), 60, 20, 20);
    }
    // The design numbers the lamps up to Led11; Led10 is never shown.
    Leds[10] = new Led(Panel3);
    Leds[10]->hide();
    // The recall panel normally provides the memory lamps the armed steps flash.
    for (int i = 1; i <= 5; ++i) {
        if (Leds[i]) continue;
        Leds[i] = new Led(centralWidget());
        Leds[i]->hide();
    }

    QWidget* gridPanel = Panel1 ? static_cast<QWidget*>(Panel1) : centralWidget();
    const auto prompt = [gridPanel](int top, int pixels, const char* caption) {
        auto* label = new AngledLabel(gridPanel);
        label->setGeometry(575, top, 198, 20);
        label->setColor(Qt::red);
        label->setLabelFont(HeavyFont(pixels));
        label->setCentred(true);
        label->setShadowed(true);
        label->setCaption(QString::fromLatin1(caption));
        label->hide();
        return label;
    };
    ActionText1 = prompt(5, 16, "STORE");
    ActionText2 = prompt(29, 15, "Select Memory Number");

    if (OkButton) {
        OkButton->setProperty("Tag", kOkTag);
        OkButton->setFont(HeavyFont(13));
        SetHint(OkButton, "Store|Store the work memory in the selected memory number");
        connect(OkButton, &QPushButton::clicked, this, &TCorvane_Form::OkButtonClick, Qt::UniqueConnection);
    }
}

void TCorvane_Form::StoreButtonClick(int tag) {
    TimerDiferente.setEnabled(true);
    const KeyPress press = PressFunctionKey(tag, FunctionMode, BlinkCount);
    ApplyBlinkPattern(press.leave);
    if (press.caption1) SetPrompts(press.caption1, press.caption2);
    if (press.showOk) {
        OkButton->show();
        Leds[11]->show();
    }
    switch (press.action) {
        case OkAction::ClearWork:
            ClearWorkMemory();
            break;
        case OkAction::SwitchReverse:
            // OK always switches away from the orientation in force, whatever the key shows.
            ReverseButton->setChecked(m_state.ReverseMode == 0);
            ApplyReverseMode();
            break;
        case OkAction::None:
            break;
    }
}

void TCorvane_Form::StoreMemory(int memory) {
    if (!IsMemory(memory)) return;
    EndArmedStep();
    const int unit = m_state.SelectedUnit & 3;
    if (m_state.CurrentMemory[unit] == memory) {
        CopyWorkToMemory(m_state, unit, memory);
    } else {
        m_state.CurrentMemory[unit] = static_cast<std::uint8_t>(memory);
        CopyWorkToMemory(m_state, unit, memory);
        // The other units now work on their copy of the memory; for this unit nothing changes.
        corvane::RecallMemory(m_state, memory);
        RefreshGrid();
        for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
        ShowMemoryLeds();
        ShowMemoryStatus();
    }
    m_link.sendCommand(RequestCode::Store, static_cast<std::uint16_t>(memory),
                       static_cast<std::uint16_t>(unit));
}

void TCorvane_Form::StartPreview(int memory) {
    if (!IsMemory(memory)) return;
    PreviewMemory = static_cast<std::uint8_t>(memory);
    FunctionMode = PreviewShow;
    BlinkCount = 0;
    // A preview must end by itself, however it was started.
    TimerDiferente.setEnabled(true);
    SetPrompts("PREVIEW", "Selected Memory");
    RefreshGrid();
}

void TCorvane_Form::ClearWorkMemory() {
    EndArmedStep();
    const HiddenWhileRebuilt hidden(Panel1);
    const int unit = m_state.SelectedUnit & 3;
    ClearWork(m_state, unit);
    m_link.sendCommand(RequestCode::Clear, static_cast<std::uint16_t>(unit), 0);
    ApplyLayout();
    RefreshGrid();
    for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
}

void TCorvane_Form::ApplyReverseMode() {
    EndArmedStep();
    const HiddenWhileRebuilt hidden(Panel1);
    m_state.ReverseMode = ReverseButton->isChecked() ? 1 : 0;
    Leds[9]->setLit(m_state.ReverseMode != 0);
    ArrangeGrid();
    m_link.sendCommand(RequestCode::SetReverse, m_state.ReverseMode, 0);
    ApplyLayout();
    RefreshGrid();
    for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
}

void TCorvane_Form::EndArmedStep() {
    BlinkCount = kEndArmedStep;
}

void TCorvane_Form::SetPrompts(const char* caption1, const char* caption2) {
    ActionText1->setCaption(QString::fromLatin1(caption1));
    ActionText2->setCaption(QString::fromLatin1(caption2));
    // The grid is built after the prompts; they must still be drawn over its corner.
    ActionText1->raise();
    ActionText2->raise();
}

}  // namespace corvane
