#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include <cstring>
#include <string>
#include <vector>

#include "formfixture.h"
#include "statediff.h"
#include "view/angledlabel.h"
#include "view/bevelpanel.h"
#include "view/led.h"

using namespace corvane;

namespace {

// One tick of the blink timer: the memory indicators take it while nothing is armed.
void Tick(MainWindow& window, int times = 1) {
    for (int i = 0; i < times; ++i) {
        if (window.controller().functionKeys().step() != Step::Idle) {
            window.controller().blinkTick();
        } else {
            window.controller().blinkTick();
        }
    }
}

bool PromptsShown(MainWindow& window) {
    EXPECT_EQ(window.promptTitle()->isVisible(), window.promptText()->isVisible());
    return window.promptText()->isVisible();
}

std::vector<int> LitMemoryLamps(MainWindow& window) {
    std::vector<int> lit;
    for (int i = 1; i <= 5; ++i)
        if (window.recallPanel()->lamp(i - 1)->isLit()) lit.push_back(i);
    return lit;
}

class FunctionKeys : public testing::Test {
  protected:
    MainWindow& open() {
        MainWindow& window = ShowOnScreen(f.open());
        f.takeRequests();
        return window;
    }
    void click(QPushButton* key) { QTest::mouseClick(key, Qt::LeftButton); }

    FormFixture f;
};

TEST_F(FunctionKeys, PanelShowsTheFourKeysWithTheirHintsAndHiddenPrompts) {
    MainWindow& window = open();
    const std::pair<QPushButton*, const char*> keys[] = {
        {window.functionsPanel()->key(kStoreTag), "STORE"},
        {window.functionsPanel()->key(kPreviewTag), "PREVIEW"},
        {window.functionsPanel()->key(kClearTag), "CLEAR"},
        {window.functionsPanel()->key(kReverseTag), "REVERSE"}};
    for (int tag = 0; tag < 4; ++tag) {
        EXPECT_EQ(keys[tag].first->text(), QLatin1String(keys[tag].second));
        EXPECT_EQ(keys[tag].first->geometry(), QRect(20 + 110 * tag, 28, 80, 26));
        EXPECT_EQ(keys[tag].first->parentWidget(), static_cast<QWidget*>(window.functionsPanel()));
        EXPECT_EQ(window.functionKeyTag(keys[tag].first), tag);
        EXPECT_EQ(window.functionsPanel()->lamp(tag)->geometry(), QRect(50 + 110 * tag, 60, 20, 20));
    }
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isCheckable());
    EXPECT_FALSE(window.functionsPanel()->key(kStoreTag)->isCheckable());
    EXPECT_EQ(window.functionsPanel()->key(kClearTag)->toolTip(), QStringLiteral("Clear"));
    EXPECT_EQ(window.functionsPanel()->key(kClearTag)->statusTip(),
              QStringLiteral("Clear the working memory"));
    EXPECT_EQ(window.okKey()->statusTip(),
              QStringLiteral("Store the work memory in the selected memory number"));
    EXPECT_FALSE(window.promptTitle()->isVisible());
    EXPECT_EQ(window.promptTitle()->caption(), QStringLiteral("STORE"));
    EXPECT_EQ(window.promptText()->caption(), QStringLiteral("Select Memory Number"));
    EXPECT_EQ(window.promptTitle()->color(), QColor(Qt::red));
    EXPECT_FALSE(window.okKey()->isVisible());
    EXPECT_FALSE(window.okLamp()->isVisible());
    // OK has the same heavy 13-pixel caption as the four keys.
    for (QPushButton* key : {window.functionsPanel()->key(kStoreTag), window.okKey()}) {
        EXPECT_EQ(key->font().families().value(0), QStringLiteral("Arial Black"));
        EXPECT_EQ(key->font().pixelSize(), 13);
        EXPECT_TRUE(key->font().bold());
    }
}

TEST_F(FunctionKeys, StoreIntoTheCurrentMemoryCopiesOnlyTheSelectedUnit) {
    f.firmware().state().LineRoute[0][0][3] = 2;
    f.firmware().state().LineRoute[1][0][0] = 3;
    f.firmware().state().LineRoute[1][1][0] = 1;
    MainWindow& window = open();
    click(window.functionsPanel()->key(kStoreTag));
    EXPECT_EQ(window.controller().functionKeys().step(), Step::StoreSelect);
    EXPECT_TRUE(window.controller().blinking());
    Tick(window);
    EXPECT_TRUE(PromptsShown(window));
    EXPECT_EQ(LitMemoryLamps(window), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(window.functionsPanel()->lamp(0)->isLit());

    window.controller().pressMemoryKey(0);
    EXPECT_EQ(window.controller().state().LineRoute[0][1][3], 2);
    EXPECT_EQ(window.controller().state().LineRoute[1][0][0],
              3);  // no recall: the other units keep their work
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 08 0000 0000 8"}));

    Tick(window);  // the step ends at the next tick
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(PromptsShown(window));
    EXPECT_FALSE(window.functionsPanel()->lamp(0)->isLit());
}

TEST_F(FunctionKeys, StoreIntoAnotherMemoryMovesEveryUnitOntoIt) {
    for (std::uint8_t reverse : {0, 1}) {
        SCOPED_TRACE(reverse);
        FormFixture g;
        MatrixState& unit = g.firmware().state();
        unit.ReverseMode = reverse;
        unit.LineRoute[2][0][9] = 1;
        unit.ChannelRoute[2][0][2] = 9;
        unit.LineRoute[1][3][4] = 2;  // unit 1's own memory 2
        unit.ChannelRoute[1][3][1] = 5;
        MainWindow& window = g.open();
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 2; });
        g.takeRequests();
        window.controller().pressFunctionKey(kStoreTag);
        window.controller().pressMemoryKey(2);
        for (int u = 0; u < kUnits; ++u) EXPECT_EQ(window.controller().state().CurrentMemory[u], 2);
        if (reverse) {
            EXPECT_EQ(window.controller().state().ChannelRoute[2][3][2], 9);
            EXPECT_EQ(window.controller().state().ChannelRoute[1][0][1], 5);
            EXPECT_EQ(window.controller().state().LineRoute[1][0][4],
                      kDisconnected);  // the other table stays
        } else {
            EXPECT_EQ(window.controller().state().LineRoute[2][3][9], 1);
            EXPECT_EQ(window.controller().state().LineRoute[1][0][4], 2);
            EXPECT_EQ(window.controller().state().ChannelRoute[1][0][1], kNoLine);
        }
        EXPECT_EQ(Sent(g), (std::vector<std::string>{"c0 08 0002 0002 8"}));
        EXPECT_EQ(window.controller().functionKeys().blinkCount(), kEndArmedStep);
    }
}

TEST_F(FunctionKeys, AFailedStoreKeepsTheStoredMemoryAndSaysSo) {
    f.firmware().state().LineRoute[0][0][0] = 1;
    MainWindow& window = open();
    f.unit->addFault({0xC0, 8, FaultKind::Fail, 0, 1});
    click(window.functionsPanel()->key(kStoreTag));
    window.controller().pressMemoryKey(4);
    EXPECT_EQ(window.controller().state().LineRoute[0][5][0], 1);
    EXPECT_EQ(window.controller().state().CurrentMemory[0], 4);
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].text, "USB error: error sending control message: Input/output error\n");
}

TEST_F(FunctionKeys, PreviewFlashesItsMemoryAndEndsAfterTheTenthOnHalfSendingNothing) {
    MainWindow& window = open();
    click(window.functionsPanel()->key(kPreviewTag));
    EXPECT_EQ(window.controller().functionKeys().step(), Step::PreviewSelect);
    EXPECT_EQ(window.promptTitle()->caption(), QStringLiteral("PREVIEW"));
    EXPECT_EQ(window.promptText()->caption(), QStringLiteral("Select Memory Number"));
    Tick(window);  // an on half: the preview then starts with BlinkPhase 1
    EXPECT_TRUE(window.functionsPanel()->lamp(1)->isLit());

    window.controller().pressMemoryKey(2);  // Memory3
    EXPECT_EQ(window.controller().functionKeys().step(), Step::PreviewShow);
    EXPECT_EQ(window.controller().functionKeys().previewMemory(), 2);
    EXPECT_EQ(window.promptTitle()->caption(), QStringLiteral("PREVIEW"));
    EXPECT_EQ(window.promptText()->caption(), QStringLiteral("Selected Memory"));
    for (int t = 1; t <= 19; ++t) {
        Tick(window);
        ASSERT_EQ(window.controller().functionKeys().step(), Step::PreviewShow) << "tick " << t;
        const bool on = t % 2 == 0;
        EXPECT_EQ(PromptsShown(window), on);
        EXPECT_EQ(LitMemoryLamps(window), on ? std::vector<int>{3} : std::vector<int>{});
        EXPECT_EQ(window.functionsPanel()->lamp(1)->isLit(), on);
    }
    Tick(window);  // the tenth on half
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(PromptsShown(window));
    EXPECT_FALSE(window.functionsPanel()->lamp(1)->isLit());
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(FunctionKeys, AKeyPressedDuringAPreviewEndsItsLamps) {
    MainWindow& window = open();
    click(window.functionsPanel()->key(kPreviewTag));
    window.controller().pressMemoryKey(4);
    Tick(window);
    EXPECT_TRUE(window.functionsPanel()->lamp(1)->isLit());
    click(window.functionsPanel()->key(kClearTag));
    EXPECT_EQ(window.controller().functionKeys().step(), Step::ClearConfirm);
    EXPECT_FALSE(window.functionsPanel()->lamp(1)->isLit());
    EXPECT_EQ(window.promptTitle()->caption(), QStringLiteral("CLEAR"));
    EXPECT_EQ(window.promptText()->caption(), QStringLiteral("Are you sure?"));
    EXPECT_TRUE(Sent(f).empty());
}

class UnansweredStep : public FunctionKeys, public testing::WithParamInterface<std::uint8_t> {};

TEST_P(UnansweredStep, ClearWithoutOkEndsOnTheNinthOrTenthTickWithNothingCleared) {
    f.firmware().state().LineRoute[0][0][5] = 1;
    MainWindow& window = open();
    RestoreKeys(window.controller(), Step::Idle, 0, GetParam());
    click(window.functionsPanel()->key(kClearTag));
    EXPECT_EQ(window.controller().functionKeys().step(), Step::ClearConfirm);
    EXPECT_TRUE(window.okKey()->isVisible());  // at once, not at the next on half
    EXPECT_TRUE(window.okLamp()->isVisible());
    EXPECT_FALSE(PromptsShown(window));
    const int end = GetParam() == 0 ? 9 : 10;
    for (int t = 1; t < end; ++t) {
        Tick(window);
        const bool on = (t % 2 == 1) == (GetParam() == 0);
        EXPECT_EQ(PromptsShown(window), on) << "tick " << t;
        EXPECT_EQ(window.functionsPanel()->lamp(2)->isLit(), on);
        EXPECT_EQ(window.okLamp()->isLit(), on);
    }
    EXPECT_EQ(window.controller().functionKeys().step(), Step::ClearConfirm);
    Tick(window);
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(PromptsShown(window));
    EXPECT_FALSE(window.okKey()->isVisible());
    EXPECT_FALSE(window.okLamp()->isVisible());
    EXPECT_FALSE(window.functionsPanel()->lamp(2)->isLit());
    EXPECT_EQ(window.controller().state().LineRoute[0][0][5], 1);
    EXPECT_TRUE(Sent(f).empty());
}

INSTANTIATE_TEST_SUITE_P(BlinkPhase, UnansweredStep, testing::Values(0, 1));

TEST_F(FunctionKeys, ClearWithOkClearsOnlyTheSelectedUnitInTheActiveOrientation) {
    for (std::uint8_t reverse : {0, 1}) {
        SCOPED_TRACE(reverse);
        FormFixture g;
        MatrixState& unit = g.firmware().state();
        unit.ReverseMode = reverse;
        for (int u = 0; u < kUnits; ++u) {
            unit.LineRoute[u][0][6] = 2;
            unit.ChannelRoute[u][0][3] = 6;
            unit.LineRoute[u][2][6] = 3;
        }
        MainWindow& window = g.open();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
        g.takeRequests();
        click(window.functionsPanel()->key(kClearTag));
        click(window.okKey());
        const MatrixState& s = window.controller().state();
        EXPECT_EQ(s.LineRoute[1][0][6], reverse ? 2 : kDisconnected);
        EXPECT_EQ(s.ChannelRoute[1][0][3], reverse ? kNoLine : 6);
        EXPECT_EQ(s.LineRoute[0][0][6], 2);
        EXPECT_EQ(s.ChannelRoute[2][0][3], 6);
        EXPECT_EQ(s.LineRoute[1][2][6], 3);  // stored memories stay
        EXPECT_EQ(Sent(g), (std::vector<std::string>{"c0 0a 0001 0000 8"}));
        Tick(window);
        EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
        EXPECT_FALSE(window.okKey()->isVisible());
        EXPECT_EQ(window.functionsPanel()->lamp(3)->isLit(), reverse == 1);
        EXPECT_EQ(window.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 1);
    }
}

TEST_F(FunctionKeys, GridPanelIsHiddenWhileTheClearIsSent) {
    MainWindow& window = open();
    if (!window.gridPanel()) GTEST_SKIP() << "the grid panel is not built";
    bool hiddenDuringRequest = false;
    f.unit->addObserver([&](const UsbRequest& r) {
        if (r.request == static_cast<std::uint8_t>(RequestCode::Clear))
            hiddenDuringRequest = window.gridPanel()->isHidden();
    });
    click(window.functionsPanel()->key(kClearTag));
    click(window.okKey());
    EXPECT_TRUE(hiddenDuringRequest);
    EXPECT_TRUE(window.gridPanel()->isVisible());
}

TEST_F(FunctionKeys, ReverseTwiceThenOkStillSwitchesTheOrientation) {
    MainWindow& window = open();
    click(window.functionsPanel()->key(kReverseTag));
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_EQ(window.controller().functionKeys().step(), Step::ReverseConfirm);
    click(window.functionsPanel()->key(kReverseTag));
    EXPECT_FALSE(window.functionsPanel()->key(kReverseTag)->isChecked());  // shows what was asked for
    EXPECT_EQ(window.controller().functionKeys().step(), Step::ReverseConfirm);
    click(window.okKey());
    EXPECT_EQ(window.controller().state().ReverseMode, 1);
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0001 0000 8"}));
    Tick(window);
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());

    // And back again.
    click(window.functionsPanel()->key(kReverseTag));
    click(window.okKey());
    EXPECT_EQ(window.controller().state().ReverseMode, 0);
    EXPECT_FALSE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0000 0000 8"}));
}

TEST_F(FunctionKeys, UnansweredReverseReturnsTheKeyAndLampToTheOrientationInForce) {
    for (std::uint8_t reverse : {0, 1}) {
        SCOPED_TRACE(reverse);
        FormFixture g;
        g.firmware().state().ReverseMode = reverse;
        MainWindow& window = g.open();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(window.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 1);
        g.takeRequests();
        click(window.functionsPanel()->key(kReverseTag));
        EXPECT_EQ(window.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 0);
        Tick(window, 9);
        EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
        EXPECT_EQ(window.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 1);
        EXPECT_EQ(window.functionsPanel()->lamp(3)->isLit(), reverse == 1);
        EXPECT_EQ(window.controller().state().ReverseMode, reverse);
        EXPECT_TRUE(Sent(g).empty());
    }
}

TEST_F(FunctionKeys, ReverseLeftForStoreDoesNotStayDown) {
    MainWindow& window = open();
    click(window.functionsPanel()->key(kReverseTag));
    Tick(window);
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());
    click(window.functionsPanel()->key(kStoreTag));
    EXPECT_FALSE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_FALSE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_FALSE(window.okLamp()->isLit());
    EXPECT_TRUE(window.okKey()->isVisible());  // until the STORE step ends
    Tick(window, 10);                          // armed in the off half
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(window.okKey()->isVisible());
    EXPECT_FALSE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_EQ(window.controller().state().ReverseMode, 0);
}

TEST_F(FunctionKeys, OkWhileStoreWaitsEndsTheStepWithoutStoring) {
    f.firmware().state().LineRoute[0][0][1] = 0;
    MainWindow& window = open();
    const MatrixState before = window.controller().state();
    click(window.functionsPanel()->key(kClearTag));
    click(window.functionsPanel()->key(kStoreTag));
    EXPECT_EQ(window.controller().functionKeys().step(), Step::StoreSelect);
    ASSERT_TRUE(window.okKey()->isVisible());
    click(window.okKey());
    EXPECT_EQ(window.controller().functionKeys().step(), Step::StoreSelect);
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), kEndArmedStep);
    Tick(window);
    EXPECT_EQ(window.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(window.okKey()->isVisible());
    EXPECT_TRUE(SameState(before, window.controller().state()));
    EXPECT_TRUE(Sent(f).empty());
}

}  // namespace
