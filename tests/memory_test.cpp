#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>

#include "device/requests.h"
#include "formfixture.h"
#include "view/bevelpanel.h"
#include "view/led.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace {

// Which of Led1..Led5 are lit, as "01000".
std::string memoryLeds(TCorvane_Form& form) {
    std::string lit;
    for (int i = 1; i <= 5; ++i) lit += form.Leds[i]->isLit() ? '1' : '0';
    return lit;
}

QString memoryStatus(TCorvane_Form& form) {
    return form.StatusPanels[0]->text();
}

// Every unit's memories told apart: line l of unit u in slot s is on channel (u + s + l) % 5,
// channel c listens to line (c + u + s) % 17.
void fillRoutes(MatrixState& s) {
    for (int u = 0; u < kUnits; ++u)
        for (int slot = 0; slot < kSlots; ++slot) {
            for (int l = 0; l < kLines; ++l)
                s.LineRoute[u][slot][l] = static_cast<std::uint8_t>((u + slot + l) % 5);
            for (int c = 0; c < kChannels; ++c)
                s.ChannelRoute[u][slot][c] = static_cast<std::uint8_t>((c + u + slot) % 17);
        }
}

struct ShownForm {
    explicit ShownForm(int slaves = 3) : f(slaves) { fillRoutes(f.firmware().state()); }
    TCorvane_Form& open() {
        TCorvane_Form& form = ShowOnScreen(f.open());
        f.takeRequests();
        return form;
    }
    FormFixture f;
};

}  // namespace

TEST(MemoryPanel, KeysAndIndicatorsStandWhereDesigned) {
    FormFixture f;
    TCorvane_Form& form = f.open();
    ASSERT_NE(form.Panel2, nullptr);
    const int keyLeft[5] = {10, 56, 102, 148, 194};
    const QPoint ledAt[5] = {{18, 59}, {64, 60}, {110, 60}, {156, 60}, {202, 59}};
    for (int m = 0; m < 5; ++m) {
        QPushButton* key = form.Memory[m];
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->parentWidget(), form.Panel2);
        EXPECT_EQ(key->geometry(), QRect(keyLeft[m], 28, 36, 26));
        EXPECT_EQ(key->toolTip(), QStringLiteral("Memory %1").arg(m + 1));
        EXPECT_EQ(key->statusTip(), QStringLiteral("Recall the Memory%1 in the unit").arg(m + 1));
        EXPECT_EQ(form.Leds[m + 1]->parentWidget(), form.Panel2);
        EXPECT_EQ(form.Leds[m + 1]->geometry(), QRect(ledAt[m], QSize(20, 20)));
    }
    // The master starts on memory 1, saved.
    EXPECT_EQ(memoryLeds(form), "10000");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 1"));
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("Unit: 1"));
}

TEST(MemoryRecall, RecallsEveryUnitButNamesTheSelectedOneOnTheWire) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    form.MatrixExecute(7);
    QTest::mouseClick(form.unitPanel(3), Qt::LeftButton);
    ASSERT_EQ(form.state().SelectedUnit, 3);
    const MatrixState before = form.state();
    s.f.takeRequests();

    QTest::mouseClick(form.Memory[4], Qt::LeftButton);

    const auto requests = s.f.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TraceLine(requests[0]), "c0 06 0004 0003 8");
    const MatrixState& after = form.state();
    for (int u = 0; u < kUnits; ++u) {
        EXPECT_EQ(after.CurrentMemory[u], 4) << u;
        for (int l = 0; l < kLines; ++l) EXPECT_EQ(after.LineRoute[u][0][l], before.LineRoute[u][5][l]);
        // The reverse table's work memory is not the active one and stays.
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(after.ChannelRoute[u][0][c], before.ChannelRoute[u][0][c]);
    }
    EXPECT_EQ(memoryLeds(form), "00001");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 5"));
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("Unit: 4"));
    EXPECT_EQ(form.BlinkCount, 50);
    // Every panel redrawn from its new work memory: unit 1's line 1 now on channel (1 + 5 + 0) % 5.
    for (int u = 0; u < kUnits; ++u) {
        const int row = (u + 5) % 5;
        EXPECT_EQ(form.unitPanel(u)->picture().pixel(2, 8 * row + 2), qRgb(0, 255, 0)) << u;
    }
    EXPECT_TRUE(s.f.notifier.messages.empty());
}

TEST(MemoryRecall, InReverseRoutingOnlyTheChannelTableMoves) {
    ShownForm s;
    s.f.firmware().state().ReverseMode = 1;
    TCorvane_Form& form = s.open();
    const MatrixState before = form.state();
    form.Memory1Click(1);
    for (int u = 0; u < kUnits; ++u) {
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(form.state().ChannelRoute[u][0][c], before.ChannelRoute[u][2][c]);
        for (int l = 0; l < kLines; ++l)
            EXPECT_EQ(form.state().LineRoute[u][0][l], before.LineRoute[u][0][l]);
    }
    const auto requests = s.f.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TraceLine(requests[0]), "c0 06 0001 0000 8");
}

TEST(MemoryRecall, RecallingTheCurrentMemoryDiscardsLocalChangesAndStillSends) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    form.state().LineRoute[0][0][5] = 4;
    form.Memory1Click(0);
    EXPECT_EQ(form.state().LineRoute[0][0][5], form.state().LineRoute[0][1][5]);
    EXPECT_EQ(s.f.takeRequests().size(), 1u);
}

TEST(MemoryRecall, AFailedRequestIsShownAndTheRecallStays) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    s.f.unit->addFault({0xC0, 6, FaultKind::Fail, 0, 1});
    form.Memory1Click(2);
    ASSERT_EQ(s.f.notifier.messages.size(), 1u);
    EXPECT_EQ(s.f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(s.f.notifier.messages[0].text.rfind("USB error: ", 0), 0u);
    EXPECT_EQ(form.state().CurrentMemory[0], 2);
    EXPECT_EQ(memoryLeds(form), "00100");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 3"));
}

TEST(MemoryRecall, WhileStoreOrPreviewWaitsTheKeyDoesNotRecall) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    // PREVIEW waiting: the key starts a preview and sends nothing.
    form.FunctionMode = PreviewSelect;
    form.Memory1Click(3);
    EXPECT_EQ(form.state().CurrentMemory[0], 0);
    EXPECT_EQ(form.FunctionMode, PreviewShow);
    EXPECT_TRUE(s.f.takeRequests().empty());
    // STORE waiting: the key stores (request 8) and never recalls (request 6).
    form.FunctionMode = StoreSelect;
    form.Memory1Click(3);
    const auto requests = s.f.takeRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(TraceLine(requests[0]), "c0 08 0003 0000 8");
    for (const auto& r : requests) EXPECT_NE(r.request, 6);
    // A confirmation pending or a preview showing: the key recalls and ends the step.
    for (std::uint8_t mode : {ClearConfirm, ReverseConfirm, PreviewShow}) {
        form.FunctionMode = mode;
        form.BlinkCount = 2;
        form.Memory1Click(3);
        EXPECT_EQ(form.state().CurrentMemory[0], 3);
        EXPECT_EQ(form.BlinkCount, 50);
        EXPECT_EQ(s.f.takeRequests().size(), 1u);
    }
}

TEST(MemoryRecall, AMemoryNumberOutsideTheTableChangesNothing) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    const MatrixState before = form.state();
    form.RecallMemory(5);
    form.RecallMemory(255);
    EXPECT_EQ(0, std::memcmp(&before, &form.state(), sizeof before));
}

TEST(UnsavedBlinking, TheCurrentMemoryBlinksWhileTheSelectedUnitIsUnsaved) {
    ShownForm s;
    s.f.firmware().state().UnsavedFlags[0] = 1;
    s.f.firmware().state().CurrentMemory[0] = 1;
    TCorvane_Form& form = s.open();
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 2 - Unsaved"));
    EXPECT_TRUE(form.TimerDiferente.enabled());
    EXPECT_EQ(memoryLeds(form), "01000");

    std::string seen;
    for (int tick = 0; tick < 4; ++tick) {
        form.TimerDiferenteTimer();
        seen += memoryLeds(form) + ' ';
    }
    EXPECT_EQ(seen, "01000 00000 01000 00000 ");

    // Saved again: the next tick puts the indicator back on steadily and stops the timer.
    form.state().UnsavedFlags[0] = 0;
    form.TimerDiferenteTimer();
    EXPECT_EQ(memoryLeds(form), "01000");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 2"));
    EXPECT_FALSE(form.TimerDiferente.enabled());
    EXPECT_EQ(form.BlinkPhase, 0);
}

TEST(UnsavedBlinking, AnotherUnitsFlagShowsOnlyOnceThatUnitIsSelected) {
    ShownForm s;
    s.f.firmware().state().UnsavedFlags[1] = 1;
    TCorvane_Form& form = s.open();
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 1"));
    EXPECT_FALSE(form.TimerDiferente.enabled());
    form.MatrixExecute(1);
    QTest::mouseClick(form.unitPanel(1), Qt::LeftButton);
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 1 - Unsaved"));
    EXPECT_TRUE(form.TimerDiferente.enabled());
}

TEST(UnsavedBlinking, AnArmedStepKeepsTheTimerAndGetsTheTicks) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    form.FunctionMode = StoreSelect;
    form.TimerDiferente.setEnabled(true);
    form.ShowMemoryStatus();  // saved, but a step is armed
    EXPECT_TRUE(form.TimerDiferente.enabled());
    form.BlinkPhase = 1;
    form.TimerDiferenteTimer();  // the function keys' tick, not the unsaved blinking
    EXPECT_EQ(memoryLeds(form), "10000");
}

TEST(Indicators, ACurrentMemoryOutsideTheTableLightsNothing) {
    ShownForm s;
    TCorvane_Form& form = s.open();
    form.state().CurrentMemory[0] = 7;
    form.ShowMemoryLeds();
    EXPECT_EQ(memoryLeds(form), "00000");
    form.state().UnsavedFlags[0] = 1;
    form.ShowMemoryStatus();
    form.TimerDiferenteTimer();
    EXPECT_EQ(memoryLeds(form), "00000");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 8 - Unsaved"));
}
