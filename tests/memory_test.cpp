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
std::string memoryLeds(MainWindow& window) {
    std::string lit;
    for (int i = 1; i <= 5; ++i) lit += window.recallPanel()->lamp(i - 1)->isLit() ? '1' : '0';
    return lit;
}

QString memoryStatus(MainWindow& window) {
    return window.statusPanel(0)->text();
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
        MainWindow& window = ShowOnScreen(f.open());
        f.takeRequests();
        return window;
    }
    FormFixture f;
};

}  // namespace

TEST(MemoryPanel, KeysAndIndicatorsStandWhereDesigned) {
    FormFixture f;
    MainWindow& window = f.open();
    ASSERT_NE(window.recallPanel(), nullptr);
    const int keyLeft[5] = {10, 56, 102, 148, 194};
    const QPoint ledAt[5] = {{18, 59}, {64, 60}, {110, 60}, {156, 60}, {202, 59}};
    for (int m = 0; m < 5; ++m) {
        QPushButton* key = window.recallPanel()->key(m);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->parentWidget(), window.recallPanel());
        EXPECT_EQ(key->geometry(), QRect(keyLeft[m], 28, 36, 26));
        EXPECT_EQ(key->toolTip(), QStringLiteral("Memory %1").arg(m + 1));
        EXPECT_EQ(key->statusTip(), QStringLiteral("Recall the Memory%1 in the unit").arg(m + 1));
        EXPECT_EQ(window.recallPanel()->lamp(m)->parentWidget(), window.recallPanel());
        EXPECT_EQ(window.recallPanel()->lamp(m)->geometry(), QRect(ledAt[m], QSize(20, 20)));
    }
    // The master starts on memory 1, saved.
    EXPECT_EQ(memoryLeds(window), "10000");
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 1"));
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 1"));
}

TEST(MemoryRecall, RecallsEveryUnitButNamesTheSelectedOneOnTheWire) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(7);
    QTest::mouseClick(window.unitPanel(3), Qt::LeftButton);
    ASSERT_EQ(window.controller().state().SelectedUnit, 3);
    const MatrixState before = window.controller().state();
    s.f.takeRequests();

    QTest::mouseClick(window.recallPanel()->key(4), Qt::LeftButton);

    const auto requests = s.f.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TraceLine(requests[0]), "c0 06 0004 0003 8");
    const MatrixState& after = window.controller().state();
    for (int u = 0; u < kUnits; ++u) {
        EXPECT_EQ(after.CurrentMemory[u], 4) << u;
        for (int l = 0; l < kLines; ++l) EXPECT_EQ(after.LineRoute[u][0][l], before.LineRoute[u][5][l]);
        // The reverse table's work memory is not the active one and stays.
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(after.ChannelRoute[u][0][c], before.ChannelRoute[u][0][c]);
    }
    EXPECT_EQ(memoryLeds(window), "00001");
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 5"));
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 4"));
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), 50);
    // Every panel redrawn from its new work memory: unit 1's line 1 now on channel (1 + 5 + 0) % 5.
    for (int u = 0; u < kUnits; ++u) {
        const int row = (u + 5) % 5;
        EXPECT_EQ(window.unitPanel(u)->picture().pixel(2, 8 * row + 2), qRgb(0, 255, 0)) << u;
    }
    EXPECT_TRUE(s.f.notifier.messages.empty());
}

TEST(MemoryRecall, InReverseRoutingOnlyTheChannelTableMoves) {
    ShownForm s;
    s.f.firmware().state().ReverseMode = 1;
    MainWindow& window = s.open();
    const MatrixState before = window.controller().state();
    window.controller().pressMemoryKey(1);
    for (int u = 0; u < kUnits; ++u) {
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(window.controller().state().ChannelRoute[u][0][c], before.ChannelRoute[u][2][c]);
        for (int l = 0; l < kLines; ++l)
            EXPECT_EQ(window.controller().state().LineRoute[u][0][l], before.LineRoute[u][0][l]);
    }
    const auto requests = s.f.takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TraceLine(requests[0]), "c0 06 0001 0000 8");
}

TEST(MemoryRecall, RecallingTheCurrentMemoryDiscardsLocalChangesAndStillSends) {
    ShownForm s;
    MainWindow& window = s.open();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.LineRoute[0][0][5] = 4; });
    window.controller().pressMemoryKey(0);
    EXPECT_EQ(window.controller().state().LineRoute[0][0][5], window.controller().state().LineRoute[0][1][5]);
    EXPECT_EQ(s.f.takeRequests().size(), 1u);
}

TEST(MemoryRecall, AFailedRequestIsShownAndTheRecallStays) {
    ShownForm s;
    MainWindow& window = s.open();
    s.f.unit->addFault({0xC0, 6, FaultKind::Fail, 0, 1});
    window.controller().pressMemoryKey(2);
    ASSERT_EQ(s.f.notifier.messages.size(), 1u);
    EXPECT_EQ(s.f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(s.f.notifier.messages[0].text.rfind("USB error: ", 0), 0u);
    EXPECT_EQ(window.controller().state().CurrentMemory[0], 2);
    EXPECT_EQ(memoryLeds(window), "00100");
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 3"));
}

TEST(MemoryRecall, WhileStoreOrPreviewWaitsTheKeyDoesNotRecall) {
    ShownForm s;
    MainWindow& window = s.open();
    // PREVIEW waiting: the key starts a preview and sends nothing.
    window.controller().pressFunctionKey(kPreviewTag);
    window.controller().pressMemoryKey(3);
    EXPECT_EQ(window.controller().state().CurrentMemory[0], 0);
    EXPECT_EQ(window.controller().functionKeys().step(), Step::PreviewShow);
    EXPECT_TRUE(s.f.takeRequests().empty());
    // STORE waiting: the key stores (request 8) and never recalls (request 6).
    window.controller().pressFunctionKey(kStoreTag);
    window.controller().pressMemoryKey(3);
    const auto requests = s.f.takeRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(TraceLine(requests[0]), "c0 08 0003 0000 8");
    for (const auto& r : requests) EXPECT_NE(r.request, 6);
    // A confirmation pending or a preview showing: the key recalls and ends the step.
    for (Step step : {Step::ClearConfirm, Step::ReverseConfirm, Step::PreviewShow}) {
        RestoreKeys(window.controller(), step, 2, 0);
        window.controller().pressMemoryKey(3);
        EXPECT_EQ(window.controller().state().CurrentMemory[0], 3);
        EXPECT_EQ(window.controller().functionKeys().blinkCount(), 50);
        EXPECT_EQ(s.f.takeRequests().size(), 1u);
    }
}

TEST(MemoryRecall, AMemoryNumberOutsideTheTableChangesNothing) {
    ShownForm s;
    MainWindow& window = s.open();
    const MatrixState before = window.controller().state();
    window.controller().recallMemory(5, Origin::FrontPanel);
    window.controller().recallMemory(255, Origin::Operator);
    EXPECT_TRUE(SameState(before, window.controller().state()));
}

TEST(UnsavedBlinking, TheCurrentMemoryBlinksWhileTheSelectedUnitIsUnsaved) {
    ShownForm s;
    s.f.firmware().state().UnsavedFlags[0] = 1;
    s.f.firmware().state().CurrentMemory[0] = 1;
    MainWindow& window = s.open();
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 2 - Unsaved"));
    EXPECT_TRUE(window.controller().blinking());
    EXPECT_EQ(memoryLeds(window), "01000");

    std::string seen;
    for (int tick = 0; tick < 4; ++tick) {
        window.controller().blinkTick();
        seen += memoryLeds(window) + ' ';
    }
    EXPECT_EQ(seen, "01000 00000 01000 00000 ");

    // Saved again: the next tick puts the indicator back on steadily and stops the timer.
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.UnsavedFlags[0] = 0; });
    window.controller().blinkTick();
    EXPECT_EQ(memoryLeds(window), "01000");
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 2"));
    EXPECT_FALSE(window.controller().blinking());
    EXPECT_EQ(window.controller().functionKeys().blinkPhase(), 0);
}

TEST(UnsavedBlinking, AnotherUnitsFlagShowsOnlyOnceThatUnitIsSelected) {
    ShownForm s;
    s.f.firmware().state().UnsavedFlags[1] = 1;
    MainWindow& window = s.open();
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 1"));
    EXPECT_FALSE(window.controller().blinking());
    window.controller().setArrangement(1);
    QTest::mouseClick(window.unitPanel(1), Qt::LeftButton);
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 1 - Unsaved"));
    EXPECT_TRUE(window.controller().blinking());
}

TEST(UnsavedBlinking, AnArmedStepKeepsTheTimerAndGetsTheTicks) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().pressFunctionKey(kStoreTag);
    window.controller().showConfiguration();  // saved, but a step is armed
    EXPECT_TRUE(window.controller().blinking());
    RestoreKeys(window.controller(), Step::StoreSelect, 0, 1);
    window.controller().blinkTick();  // the function keys' tick, not the unsaved blinking
    EXPECT_EQ(memoryLeds(window), "10000");
}

TEST(Indicators, ACurrentMemoryOutsideTheTableLightsNothing) {
    ShownForm s;
    MainWindow& window = s.open();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.CurrentMemory[0] = 7; });
    Q_EMIT window.controller().memoryLampsChanged();
    EXPECT_EQ(memoryLeds(window), "00000");
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.UnsavedFlags[0] = 1; });
    window.controller().showConfiguration();
    window.controller().blinkTick();
    EXPECT_EQ(memoryLeds(window), "00000");
    EXPECT_EQ(memoryStatus(window), QStringLiteral("Memory: 8 - Unsaved"));
}
