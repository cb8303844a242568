#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <cstring>
#include <string>
#include <vector>

#include "formfixture.h"
#include "statediff.h"
#include "view/led.h"

using namespace corvane;

namespace {

class Events : public testing::Test {
  protected:
    MainWindow& open() {
        MainWindow& window = f.open();
        f.takeRequests();
        return window;
    }
    // Hands one raw event to the window through one tick.
    void deliver(MainWindow& window, const DeviceEvent& event) {
        f.firmware().queueEvent(event);
        window.controller().pollDevice();
    }

    FormFixture f;
};

TEST_F(Events, OneEventPerTickAndNothingWithoutOne) {
    MainWindow& window = open();
    f.firmware().queueEvent(MakeEvent(EventCode::MemoryStored, 1, 3));
    f.firmware().queueEvent(MakeEvent(EventCode::MemoryStored, 1, 4));
    window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().CurrentMemory[0], 3);
    EXPECT_EQ(f.firmware().pendingEvents(), 1u);
    window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().CurrentMemory[0], 4);
    const MatrixState before = window.controller().state();
    window.controller().pollDevice();
    EXPECT_TRUE(SameState(before, window.controller().state()));
    const auto polls = f.takeRequests();
    ASSERT_EQ(polls.size(), 3u);
    for (const UsbRequest& r : polls) EXPECT_EQ(TraceLine(r), "c0 32 0000 0000 8");
}

TEST_F(Events, ShortPollsAndUnknownCodesChangeNothing) {
    MainWindow& window = open();
    const MatrixState before = window.controller().state();
    // One byte of a recall is no event.
    f.unit->addFault({0xC0, 50, FaultKind::Short, 1, 1});
    deliver(window, MakeEvent(EventCode::MemoryRecalled, 0, 2));
    for (std::uint8_t code : {0, 4, 12, 50, 255}) deliver(window, DeviceEvent{code, 1, 0x11, 0, 0, 0, 0, 0});
    // Out of range arguments.
    deliver(window, MakeEvent(EventCode::MemoryRecalled, 0, 5));
    deliver(window, MakeEvent(EventCode::MemoryStored, 4, 1));
    deliver(window, MakeEvent(EventCode::MemoryStored, 1, 200));
    deliver(window, MakeEvent(EventCode::RouteChanged, 3, 0x42));
    deliver(window, MakeEvent(EventCode::RouteChanged, 16, 0x12));
    deliver(window, MakeEvent(EventCode::RouteChanged, 3, 0x15));
    deliver(window, MakeEvent(EventCode::MemoryCleared, 4));
    EXPECT_TRUE(SameState(before, window.controller().state()));
    EXPECT_TRUE(Sent(f).empty());
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_TRUE(window.controller().polling());

    // Two bytes are an event; the third reads as zero.
    f.unit->addFault({0xC0, 50, FaultKind::Short, 2, 1});
    deliver(window, MakeEvent(EventCode::MemoryStored, 2, 3));
    for (int u = 0; u < kUnits; ++u) EXPECT_EQ(window.controller().state().CurrentMemory[u], 0);
    EXPECT_EQ(f.firmware().pendingEvents(), 0u);
}

TEST_F(Events, ReverseChangedSwitchesAndAnswersEvenWhenItRepeats) {
    MainWindow& window = open();
    f.firmware().pressReverse(true);
    window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().ReverseMode, 1);
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0001 0000 8"}));
    deliver(window, MakeEvent(EventCode::ReverseChanged, 0x80));
    EXPECT_EQ(window.controller().state().ReverseMode, 1);
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0001 0000 8"}));
    deliver(window, MakeEvent(EventCode::ReverseChanged, 0));
    EXPECT_EQ(window.controller().state().ReverseMode, 0);
    EXPECT_FALSE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_FALSE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0000 0000 8"}));
}

TEST_F(Events, ReverseChangedEndsAnArmedConfirmationAtTheNextTick) {
    MainWindow& window = open();
    window.controller().pressFunctionKey(kReverseTag);
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), 0);
    deliver(window, MakeEvent(EventCode::ReverseChanged, 1));
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), kEndArmedStep);
    window.controller().blinkTick();
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());
}

TEST_F(Events, MemoryRecalledSwitchesEveryUnitAndSendsNothing) {
    for (int u = 0; u < kUnits; ++u) {
        f.firmware().state().LineRoute[u][4][2] = static_cast<std::uint8_t>(u);
        f.firmware().state().LineRoute[u][0][2] = 4;
    }
    MainWindow& window = open();
    window.controller().pressFunctionKey(kClearTag);
    f.firmware().pressRecall(3);
    window.controller().pollDevice();
    for (int u = 0; u < kUnits; ++u) {
        EXPECT_EQ(window.controller().state().CurrentMemory[u], 3);
        EXPECT_EQ(window.controller().state().LineRoute[u][0][2], u);
    }
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), 0);  // the armed step goes on
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(Events, UnsavedChangedSetsTheFlagsAndStartsBlinkingForTheSelectedUnit) {
    MainWindow& window = open();
    ASSERT_FALSE(window.controller().blinking());
    deliver(window, MakeEvent(EventCode::UnsavedChanged, 0xF4));  // unit 2 only; bits 4..7 ignored
    EXPECT_EQ(window.controller().state().UnsavedFlags[2], 1);
    EXPECT_EQ(window.controller().state().UnsavedFlags[0], 0);
    EXPECT_FALSE(window.controller().blinking());

    RestoreKeys(window.controller(), Step::Idle, 0, 1);
    deliver(window, MakeEvent(EventCode::UnsavedChanged, 0x01));
    EXPECT_EQ(window.controller().state().UnsavedFlags[0], 1);
    EXPECT_EQ(window.controller().state().UnsavedFlags[2], 0);
    EXPECT_TRUE(window.controller().blinking());
    EXPECT_EQ(window.controller().functionKeys().blinkPhase(), 0);
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(Events, MemoryStoredCopiesOnlyItsUnitButMovesEveryUnit) {
    for (int u = 0; u < kUnits; ++u) f.firmware().state().LineRoute[u][0][11] = static_cast<std::uint8_t>(u);
    MainWindow& window = open();
    f.firmware().pressStore(2, 3);
    window.controller().pollDevice();
    for (int u = 0; u < kUnits; ++u) EXPECT_EQ(window.controller().state().CurrentMemory[u], 3);
    EXPECT_EQ(window.controller().state().LineRoute[2][4][11], 2);
    EXPECT_EQ(window.controller().state().LineRoute[1][4][11], kDisconnected);
    EXPECT_EQ(window.controller().state().LineRoute[1][0][11], 1);
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(Events, RouteChangedForAnotherUnitGoesStraightIntoTheModel) {
    MainWindow& window = open();
    f.firmware().pressRoute(1, 3, 7);
    while (f.firmware().pendingEvents() > 0) window.controller().pollDevice();  // the route, then its flags
    EXPECT_EQ(window.controller().state().LineRoute[1][0][7], 3);
    EXPECT_EQ(window.controller().state().UnsavedFlags[1], 1);
    EXPECT_TRUE(Sent(f).empty());

    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 1; });
    deliver(window, MakeEvent(EventCode::RouteChanged, 16, UnitRow(3, 2)));
    EXPECT_EQ(window.controller().state().ChannelRoute[3][0][2], kNoLine);
    deliver(window, MakeEvent(EventCode::RouteChanged, 9, UnitRow(2, 0)));
    EXPECT_EQ(window.controller().state().ChannelRoute[2][0][0], 9);
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(Events, RouteChangedForTheSelectedUnitSendsNothingBack) {
    f.firmware().state().LineRoute[0][0][5] = 2;
    MainWindow& window = open();
    // The unit repeats a route the grid already shows, as after our own grid click.
    deliver(window, MakeEvent(EventCode::RouteChanged, 5, UnitRow(0, 2)));
    EXPECT_EQ(window.controller().state().LineRoute[0][0][5], 2);
    EXPECT_TRUE(Sent(f).empty());
    EXPECT_TRUE(f.notifier.messages.empty());
}

TEST_F(Events, MemoryClearedAnswersOnlyForTheSelectedUnit) {
    for (int u = 0; u < kUnits; ++u) f.firmware().state().LineRoute[u][0][0] = 1;
    MainWindow& window = open();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 2; });
    window.controller().pressFunctionKey(kPreviewTag);
    f.firmware().pressClear(2);
    window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().LineRoute[2][0][0], kDisconnected);
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), kEndArmedStep);
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 0a 0002 0000 8"}));

    f.firmware().pressClear(3);
    while (f.firmware().pendingEvents() > 0) window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().LineRoute[3][0][0], kDisconnected);
    EXPECT_EQ(window.controller().state().LineRoute[1][0][0], 1);
    EXPECT_TRUE(Sent(f).empty());

    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 1; });
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ChannelRoute[1][0][3] = 5; });
    deliver(window, MakeEvent(EventCode::MemoryCleared, 1));
    EXPECT_EQ(window.controller().state().ChannelRoute[1][0][3], kNoLine);
    EXPECT_EQ(window.controller().state().LineRoute[1][0][0], 1);
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(Events, ImageChangedReadsTheWholeImageAndShowsItsOrientation) {
    MainWindow& window = open();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.MatrixLayout = 2; });
    MatrixState changed = f.firmware().state();
    changed.LineRoute[1][0][4] = 0;
    changed.CurrentMemory[1] = 4;
    changed.ReverseMode = 1;
    changed.MatrixLayout = 7;
    changed.SelectedUnit = 3;
    f.firmware().replaceConfiguration(changed);
    window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().LineRoute[1][0][4], 0);
    EXPECT_EQ(window.controller().state().CurrentMemory[1], 4);
    EXPECT_EQ(window.controller().state().ReverseMode, 1);
    EXPECT_EQ(window.controller().state().SelectedUnit, 1);
    EXPECT_EQ(window.controller().state().MatrixLayout, 2);
    // The key, its lamp and the grid follow the orientation the image brought.
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_TRUE(window.grid().button(4, 0)->isHidden());
    EXPECT_FALSE(window.grid().button(0, 16)->isHidden());
    EXPECT_EQ(window.statusPanel(0)->text(), QStringLiteral("Memory: 5"));
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 01 0000 0000 256"}));
}

TEST_F(Events, ImageChangedWithAShortOrFailedReadChangesNothing) {
    MainWindow& window = open();
    const MatrixState before = window.controller().state();
    MatrixState changed = f.firmware().state();
    changed.LineRoute[0][0][0] = 1;
    f.firmware().state() = changed;
    f.unit->addFault({0xC0, 1, FaultKind::Short, 228, 1});
    deliver(window, MakeEvent(EventCode::ImageChanged));
    f.unit->addFault({0xC0, 1, FaultKind::Fail, 0, 1});
    deliver(window, MakeEvent(EventCode::ImageChanged));
    EXPECT_TRUE(SameState(before, window.controller().state()));
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(Sent(f).size(), 2u);
    EXPECT_TRUE(window.controller().polling());
}

TEST_F(Events, TheWindowMirrorsTheUnitAfterItsFrontPanelsWereUsed) {
    for (int u = 0; u < kUnits; ++u)
        for (int s = 1; s < kSlots; ++s)
            f.firmware().state().LineRoute[u][s][u + s] = static_cast<std::uint8_t>(s % 4);
    MainWindow& window = open();
    UnitFirmware& unit = f.firmware();
    unit.pressRoute(1, 2, 9);
    unit.pressRecall(4);
    unit.pressRoute(3, 0, 15);
    unit.pressRoute(2, 1, 0);
    unit.pressStore(1, 2);  // another memory: the other units keep their work memories
    unit.pressClear(3);
    unit.pressRoute(2, 3, 3);
    unit.pressStore(2, 2);
    unit.pressClear(0);  // the selected unit: the window answers with Clear
    while (unit.pendingEvents() > 0) window.controller().pollDevice();
    const MatrixState& mine = window.controller().state();
    const MatrixState& theirs = unit.state();
    EXPECT_EQ(0, std::memcmp(mine.LineRoute, theirs.LineRoute, sizeof mine.LineRoute));
    EXPECT_EQ(0, std::memcmp(mine.CurrentMemory, theirs.CurrentMemory, sizeof mine.CurrentMemory));
    EXPECT_EQ(0, std::memcmp(mine.UnsavedFlags, theirs.UnsavedFlags, sizeof mine.UnsavedFlags));
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 0a 0000 0000 8"}));
}

TEST_F(Events, UnplugDuringAnEventReportsTheAnswerAndThenEndsTheProgram) {
    MainWindow& window = open();
    f.firmware().pressReverse(true);
    f.unit->unplugAfter(1);  // the poll is answered, the answer to it is not
    window.controller().pollDevice();
    EXPECT_EQ(window.controller().state().ReverseMode, 1);  // kept although the request failed
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].text, "USB error: error sending control message: No such device\n");
    EXPECT_TRUE(window.controller().polling());
    window.controller().pollDevice();
    EXPECT_FALSE(window.controller().polling());
    EXPECT_EQ(f.notifier.messages.size(), 1u);  // the lost unit itself shows nothing
    EXPECT_TRUE(QuitRequested());
}

}  // namespace
