#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>

#include "device/requests.h"
#include "formfixture.h"
#include "statediff.h"
#include "view/bevelpanel.h"
#include "view/led.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace {

// Which of Led1..Led5 are lit, as "01000".
std::string memoryLeds(MainWindow& form) {
    std::string lit;
    for (int i = 1; i <= 5; ++i) lit += form.recallPanel()->lamp(i - 1)->isLit() ? '1' : '0';
    return lit;
}

QString memoryStatus(MainWindow& form) {
    return form.statusPanel(0)->text();
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
    MainWindow& open() {
        MainWindow& form = ShowOnScreen(f.open());
        f.takeRequests();
        return form;
    }
    FormFixture f;
};

}  // namespace

TEST(MemoryPanel, KeysAndIndicatorsStandWhereDesigned) {
    FormFixture f;
    MainWindow& form = f.open();
    ASSERT_NE(form.recallPanel(), nullptr);
    const int keyLeft[5] = {10, 56, 102, 148, 194};
    const QPoint ledAt[5] = {{18, 59}, {64, 60}, {110, 60}, {156, 60}, {202, 59}};
    for (int m = 0; m < 5; ++m) {
        QPushButton* key = form.recallPanel()->key(m);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->parentWidget(), form.recallPanel());
        EXPECT_EQ(key->geometry(), QRect(keyLeft[m], 28, 36, 26));
        EXPECT_EQ(key->toolTip(), QStringLiteral("Memory %1").arg(m + 1));
        EXPECT_EQ(key->statusTip(), QStringLiteral("Recall the Memory%1 in the unit").arg(m + 1));
        EXPECT_EQ(form.recallPanel()->lamp(m)->parentWidget(), form.recallPanel());
        EXPECT_EQ(form.recallPanel()->lamp(m)->geometry(), QRect(ledAt[m], QSize(20, 20)));
    }
    // The master starts on memory 1, saved.
    EXPECT_EQ(memoryLeds(form), "10000");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 1"));
    EXPECT_EQ(form.statusPanel(1)->text(), QStringLiteral("Unit: 1"));
}

TEST(MemoryRecall, RecallsEveryUnitButNamesTheSelectedOneOnTheWire) {
    ShownForm s;
    MainWindow& form = s.open();
    form.controller().setArrangement(7);
    QTest::mouseClick(form.unitPanel(3), Qt::LeftButton);
    ASSERT_EQ(form.controller().state().SelectedUnit, 3);
    const MatrixState before = form.controller().state();
    s.f.takeRequests();

    QTest::mouseClick(form.recallPanel()->key(4), Qt::LeftButton);

    const auto requests = s.f.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TraceLine(requests[0]), "c0 06 0004 0003 8");
    const MatrixState& after = form.controller().state();
    for (int u = 0; u < kUnits; ++u) {
        EXPECT_EQ(after.CurrentMemory[u], 4) << u;
        for (int l = 0; l < kLines; ++l) EXPECT_EQ(after.LineRoute[u][0][l], before.LineRoute[u][5][l]);
        // The reverse table's work memory is not the active one and stays.
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(after.ChannelRoute[u][0][c], before.ChannelRoute[u][0][c]);
    }
    EXPECT_EQ(memoryLeds(form), "00001");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 5"));
    EXPECT_EQ(form.statusPanel(1)->text(), QStringLiteral("Unit: 4"));
    EXPECT_EQ(form.controller().functionKeys().blinkCount(), 50);
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
    MainWindow& form = s.open();
    const MatrixState before = form.controller().state();
    form.controller().pressMemoryKey(1);
    for (int u = 0; u < kUnits; ++u) {
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(form.controller().state().ChannelRoute[u][0][c], before.ChannelRoute[u][2][c]);
        for (int l = 0; l < kLines; ++l)
            EXPECT_EQ(form.controller().state().LineRoute[u][0][l], before.LineRoute[u][0][l]);
    }
    const auto requests = s.f.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TraceLine(requests[0]), "c0 06 0001 0000 8");
}

TEST(MemoryRecall, RecallingTheCurrentMemoryDiscardsLocalChangesAndStillSends) {
    ShownForm s;
    MainWindow& form = s.open();
    EditState(form.controller(), [&](corvane::MatrixState& s) { s.LineRoute[0][0][5] = 4; });
    form.controller().pressMemoryKey(0);
    EXPECT_EQ(form.controller().state().LineRoute[0][0][5], form.controller().state().LineRoute[0][1][5]);
    EXPECT_EQ(s.f.takeRequests().size(), 1u);
}

TEST(MemoryRecall, AFailedRequestIsShownAndTheRecallStays) {
    ShownForm s;
    MainWindow& form = s.open();
    s.f.unit->addFault({0xC0, 6, FaultKind::Fail, 0, 1});
    form.controller().pressMemoryKey(2);
    ASSERT_EQ(s.f.notifier.messages.size(), 1u);
    EXPECT_EQ(s.f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(s.f.notifier.messages[0].text.rfind("USB error: ", 0), 0u);
    EXPECT_EQ(form.controller().state().CurrentMemory[0], 2);
    EXPECT_EQ(memoryLeds(form), "00100");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 3"));
}

TEST(MemoryRecall, WhileStoreOrPreviewWaitsTheKeyDoesNotRecall) {
    ShownForm s;
    MainWindow& form = s.open();
    // PREVIEW waiting: the key starts a preview and sends nothing.
    form.controller().pressFunctionKey(kPreviewTag);
    form.controller().pressMemoryKey(3);
    EXPECT_EQ(form.controller().state().CurrentMemory[0], 0);
    EXPECT_EQ(form.controller().functionKeys().step(), Step::PreviewShow);
    EXPECT_TRUE(s.f.takeRequests().empty());
    // STORE waiting: the key stores (request 8) and never recalls (request 6).
    form.controller().pressFunctionKey(kStoreTag);
    form.controller().pressMemoryKey(3);
    const auto requests = s.f.takeRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(TraceLine(requests[0]), "c0 08 0003 0000 8");
    for (const auto& r : requests) EXPECT_NE(r.request, 6);
    // A confirmation pending or a preview showing: the key recalls and ends the step.
    for (Step step : {Step::ClearConfirm, Step::ReverseConfirm, Step::PreviewShow}) {
        RestoreKeys(form.controller(), step, 2, 0);
        form.controller().pressMemoryKey(3);
        EXPECT_EQ(form.controller().state().CurrentMemory[0], 3);
        EXPECT_EQ(form.controller().functionKeys().blinkCount(), 50);
        EXPECT_EQ(s.f.takeRequests().size(), 1u);
    }
}

TEST(MemoryRecall, AMemoryNumberOutsideTheTableChangesNothing) {
    ShownForm s;
    MainWindow& form = s.open();
    const MatrixState before = form.controller().state();
    form.controller().recallMemory(5, Origin::FrontPanel);
    form.controller().recallMemory(255, Origin::Operator);
    EXPECT_TRUE(SameState(before, form.controller().state()));
}

TEST(UnsavedBlinking, TheCurrentMemoryBlinksWhileTheSelectedUnitIsUnsaved) {
    ShownForm s;
    s.f.firmware().state().UnsavedFlags[0] = 1;
    s.f.firmware().state().CurrentMemory[0] = 1;
    MainWindow& form = s.open();
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 2 - Unsaved"));
    EXPECT_TRUE(form.controller().blinking());
    EXPECT_EQ(memoryLeds(form), "01000");

    std::string seen;
    for (int tick = 0; tick < 4; ++tick) {
        form.controller().blinkTick();
        seen += memoryLeds(form) + ' ';
    }
    EXPECT_EQ(seen, "01000 00000 01000 00000 ");

    // Saved again: the next tick puts the indicator back on steadily and stops the timer.
    EditState(form.controller(), [&](corvane::MatrixState& s) { s.UnsavedFlags[0] = 0; });
    form.controller().blinkTick();
    EXPECT_EQ(memoryLeds(form), "01000");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 2"));
    EXPECT_FALSE(form.controller().blinking());
    EXPECT_EQ(form.controller().functionKeys().blinkPhase(), 0);
}

TEST(UnsavedBlinking, AnotherUnitsFlagShowsOnlyOnceThatUnitIsSelected) {
    ShownForm s;
    s.f.firmware().state().UnsavedFlags[1] = 1;
    MainWindow& form = s.open();
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 1"));
    EXPECT_FALSE(form.controller().blinking());
    form.controller().setArrangement(1);
    QTest::mouseClick(form.unitPanel(1), Qt::LeftButton);
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 1 - Unsaved"));
    EXPECT_TRUE(form.controller().blinking());
}

TEST(UnsavedBlinking, AnArmedStepKeepsTheTimerAndGetsTheTicks) {
    ShownForm s;
    MainWindow& form = s.open();
    form.controller().pressFunctionKey(kStoreTag);
    form.controller().showConfiguration();  // saved, but a step is armed
    EXPECT_TRUE(form.controller().blinking());
    RestoreKeys(form.controller(), Step::StoreSelect, 0, 1);
    form.controller().blinkTick();  // the function keys' tick, not the unsaved blinking
    EXPECT_EQ(memoryLeds(form), "10000");
}

TEST(Indicators, ACurrentMemoryOutsideTheTableLightsNothing) {
    ShownForm s;
    MainWindow& form = s.open();
    EditState(form.controller(), [&](corvane::MatrixState& s) { s.CurrentMemory[0] = 7; });
    Q_EMIT form.controller().memoryLampsChanged();
    EXPECT_EQ(memoryLeds(form), "00000");
    EditState(form.controller(), [&](corvane::MatrixState& s) { s.UnsavedFlags[0] = 1; });
    form.controller().showConfiguration();
    form.controller().blinkTick();
    EXPECT_EQ(memoryLeds(form), "00000");
    EXPECT_EQ(memoryStatus(form), QStringLiteral("Memory: 8 - Unsaved"));
}
