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
void Tick(MainWindow& form, int times = 1) {
    for (int i = 0; i < times; ++i) {
        if (form.controller().functionKeys().step() != Step::Idle) {
            form.controller().blinkTick();
        } else {
            form.controller().blinkTick();
        }
    }
}

bool PromptsShown(MainWindow& form) {
    EXPECT_EQ(form.promptTitle()->isVisible(), form.promptText()->isVisible());
    return form.promptText()->isVisible();
}

std::vector<int> LitMemoryLamps(MainWindow& form) {
    std::vector<int> lit;
    for (int i = 1; i <= 5; ++i)
        if (form.recallPanel()->lamp(i - 1)->isLit()) lit.push_back(i);
    return lit;
}

class FunctionKeys : public testing::Test {
  protected:
    MainWindow& open() {
        MainWindow& form = ShowOnScreen(f.open());
        f.takeRequests();
        return form;
    }
    void click(QPushButton* key) { QTest::mouseClick(key, Qt::LeftButton); }

    FormFixture f;
};

TEST_F(FunctionKeys, PanelShowsTheFourKeysWithTheirHintsAndHiddenPrompts) {
    MainWindow& form = open();
    const std::pair<QPushButton*, const char*> keys[] = {
        {form.functionsPanel()->key(kStoreTag), "STORE"},
        {form.functionsPanel()->key(kPreviewTag), "PREVIEW"},
        {form.functionsPanel()->key(kClearTag), "CLEAR"},
        {form.functionsPanel()->key(kReverseTag), "REVERSE"}};
    for (int tag = 0; tag < 4; ++tag) {
        EXPECT_EQ(keys[tag].first->text(), QLatin1String(keys[tag].second));
        EXPECT_EQ(keys[tag].first->geometry(), QRect(20 + 110 * tag, 28, 80, 26));
        EXPECT_EQ(keys[tag].first->parentWidget(), static_cast<QWidget*>(form.functionsPanel()));
        EXPECT_EQ(keys[tag].first->property("Tag").toInt(), tag);
        EXPECT_EQ(form.functionsPanel()->lamp(tag)->geometry(), QRect(50 + 110 * tag, 60, 20, 20));
    }
    EXPECT_TRUE(form.functionsPanel()->key(kReverseTag)->isCheckable());
    EXPECT_FALSE(form.functionsPanel()->key(kStoreTag)->isCheckable());
    EXPECT_EQ(form.functionsPanel()->key(kClearTag)->toolTip(), QStringLiteral("Clear"));
    EXPECT_EQ(form.functionsPanel()->key(kClearTag)->statusTip(), QStringLiteral("Clear the working memory"));
    EXPECT_EQ(form.okKey()->statusTip(),
              QStringLiteral("Store the work memory in the selected memory number"));
    EXPECT_FALSE(form.promptTitle()->isVisible());
    EXPECT_EQ(form.promptTitle()->caption(), QStringLiteral("STORE"));
    EXPECT_EQ(form.promptText()->caption(), QStringLiteral("Select Memory Number"));
    EXPECT_EQ(form.promptTitle()->color(), QColor(Qt::red));
    EXPECT_FALSE(form.okKey()->isVisible());
    EXPECT_FALSE(form.okLamp()->isVisible());
    // OK has the same heavy 13-pixel caption as the four keys.
    for (QPushButton* key : {form.functionsPanel()->key(kStoreTag), form.okKey()}) {
        EXPECT_EQ(key->font().families().value(0), QStringLiteral("Arial Black"));
        EXPECT_EQ(key->font().pixelSize(), 13);
        EXPECT_TRUE(key->font().bold());
    }
}

TEST_F(FunctionKeys, StoreIntoTheCurrentMemoryCopiesOnlyTheSelectedUnit) {
    f.firmware().state().LineRoute[0][0][3] = 2;
    f.firmware().state().LineRoute[1][0][0] = 3;
    f.firmware().state().LineRoute[1][1][0] = 1;
    MainWindow& form = open();
    click(form.functionsPanel()->key(kStoreTag));
    EXPECT_EQ(form.controller().functionKeys().step(), Step::StoreSelect);
    EXPECT_TRUE(form.controller().blinking());
    Tick(form);
    EXPECT_TRUE(PromptsShown(form));
    EXPECT_EQ(LitMemoryLamps(form), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(form.functionsPanel()->lamp(0)->isLit());

    form.controller().pressMemoryKey(0);
    EXPECT_EQ(form.controller().state().LineRoute[0][1][3], 2);
    EXPECT_EQ(form.controller().state().LineRoute[1][0][0], 3);  // no recall: the other units keep their work
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 08 0000 0000 8"}));

    Tick(form);  // the step ends at the next tick
    EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(PromptsShown(form));
    EXPECT_FALSE(form.functionsPanel()->lamp(0)->isLit());
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
        MainWindow& form = g.open();
        EditState(form.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 2; });
        g.takeRequests();
        form.controller().pressFunctionKey(kStoreTag);
        form.controller().pressMemoryKey(2);
        for (int u = 0; u < kUnits; ++u) EXPECT_EQ(form.controller().state().CurrentMemory[u], 2);
        if (reverse) {
            EXPECT_EQ(form.controller().state().ChannelRoute[2][3][2], 9);
            EXPECT_EQ(form.controller().state().ChannelRoute[1][0][1], 5);
            EXPECT_EQ(form.controller().state().LineRoute[1][0][4], kDisconnected);  // the other table stays
        } else {
            EXPECT_EQ(form.controller().state().LineRoute[2][3][9], 1);
            EXPECT_EQ(form.controller().state().LineRoute[1][0][4], 2);
            EXPECT_EQ(form.controller().state().ChannelRoute[1][0][1], kNoLine);
        }
        EXPECT_EQ(Sent(g), (std::vector<std::string>{"c0 08 0002 0002 8"}));
        EXPECT_EQ(form.controller().functionKeys().blinkCount(), kEndArmedStep);
    }
}

TEST_F(FunctionKeys, AFailedStoreKeepsTheStoredMemoryAndSaysSo) {
    f.firmware().state().LineRoute[0][0][0] = 1;
    MainWindow& form = open();
    f.unit->addFault({0xC0, 8, FaultKind::Fail, 0, 1});
    click(form.functionsPanel()->key(kStoreTag));
    form.controller().pressMemoryKey(4);
    EXPECT_EQ(form.controller().state().LineRoute[0][5][0], 1);
    EXPECT_EQ(form.controller().state().CurrentMemory[0], 4);
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].text, "USB error: error sending control message: Input/output error\n");
}

TEST_F(FunctionKeys, PreviewFlashesItsMemoryAndEndsAfterTheTenthOnHalfSendingNothing) {
    MainWindow& form = open();
    click(form.functionsPanel()->key(kPreviewTag));
    EXPECT_EQ(form.controller().functionKeys().step(), Step::PreviewSelect);
    EXPECT_EQ(form.promptTitle()->caption(), QStringLiteral("PREVIEW"));
    EXPECT_EQ(form.promptText()->caption(), QStringLiteral("Select Memory Number"));
    Tick(form);  // an on half: the preview then starts with BlinkPhase 1
    EXPECT_TRUE(form.functionsPanel()->lamp(1)->isLit());

    form.controller().pressMemoryKey(2);  // Memory3
    EXPECT_EQ(form.controller().functionKeys().step(), Step::PreviewShow);
    EXPECT_EQ(form.controller().functionKeys().previewMemory(), 2);
    EXPECT_EQ(form.promptTitle()->caption(), QStringLiteral("PREVIEW"));
    EXPECT_EQ(form.promptText()->caption(), QStringLiteral("Selected Memory"));
    for (int t = 1; t <= 19; ++t) {
        Tick(form);
        ASSERT_EQ(form.controller().functionKeys().step(), Step::PreviewShow) << "tick " << t;
        const bool on = t % 2 == 0;
        EXPECT_EQ(PromptsShown(form), on);
        EXPECT_EQ(LitMemoryLamps(form), on ? std::vector<int>{3} : std::vector<int>{});
        EXPECT_EQ(form.functionsPanel()->lamp(1)->isLit(), on);
    }
    Tick(form);  // the tenth on half
    EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(PromptsShown(form));
    EXPECT_FALSE(form.functionsPanel()->lamp(1)->isLit());
    EXPECT_TRUE(Sent(f).empty());
}

TEST_F(FunctionKeys, AKeyPressedDuringAPreviewEndsItsLamps) {
    MainWindow& form = open();
    click(form.functionsPanel()->key(kPreviewTag));
    form.controller().pressMemoryKey(4);
    Tick(form);
    EXPECT_TRUE(form.functionsPanel()->lamp(1)->isLit());
    click(form.functionsPanel()->key(kClearTag));
    EXPECT_EQ(form.controller().functionKeys().step(), Step::ClearConfirm);
    EXPECT_FALSE(form.functionsPanel()->lamp(1)->isLit());
    EXPECT_EQ(form.promptTitle()->caption(), QStringLiteral("CLEAR"));
    EXPECT_EQ(form.promptText()->caption(), QStringLiteral("Are you sure?"));
    EXPECT_TRUE(Sent(f).empty());
}

class UnansweredStep : public FunctionKeys, public testing::WithParamInterface<std::uint8_t> {};

TEST_P(UnansweredStep, ClearWithoutOkEndsOnTheNinthOrTenthTickWithNothingCleared) {
    f.firmware().state().LineRoute[0][0][5] = 1;
    MainWindow& form = open();
    RestoreKeys(form.controller(), Step::Idle, 0, GetParam());
    click(form.functionsPanel()->key(kClearTag));
    EXPECT_EQ(form.controller().functionKeys().step(), Step::ClearConfirm);
    EXPECT_TRUE(form.okKey()->isVisible());  // at once, not at the next on half
    EXPECT_TRUE(form.okLamp()->isVisible());
    EXPECT_FALSE(PromptsShown(form));
    const int end = GetParam() == 0 ? 9 : 10;
    for (int t = 1; t < end; ++t) {
        Tick(form);
        const bool on = (t % 2 == 1) == (GetParam() == 0);
        EXPECT_EQ(PromptsShown(form), on) << "tick " << t;
        EXPECT_EQ(form.functionsPanel()->lamp(2)->isLit(), on);
        EXPECT_EQ(form.okLamp()->isLit(), on);
    }
    EXPECT_EQ(form.controller().functionKeys().step(), Step::ClearConfirm);
    Tick(form);
    EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(PromptsShown(form));
    EXPECT_FALSE(form.okKey()->isVisible());
    EXPECT_FALSE(form.okLamp()->isVisible());
    EXPECT_FALSE(form.functionsPanel()->lamp(2)->isLit());
    EXPECT_EQ(form.controller().state().LineRoute[0][0][5], 1);
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
        MainWindow& form = g.open();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EditState(form.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
        g.takeRequests();
        click(form.functionsPanel()->key(kClearTag));
        click(form.okKey());
        const MatrixState& s = form.controller().state();
        EXPECT_EQ(s.LineRoute[1][0][6], reverse ? 2 : kDisconnected);
        EXPECT_EQ(s.ChannelRoute[1][0][3], reverse ? kNoLine : 6);
        EXPECT_EQ(s.LineRoute[0][0][6], 2);
        EXPECT_EQ(s.ChannelRoute[2][0][3], 6);
        EXPECT_EQ(s.LineRoute[1][2][6], 3);  // stored memories stay
        EXPECT_EQ(Sent(g), (std::vector<std::string>{"c0 0a 0001 0000 8"}));
        Tick(form);
        EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
        EXPECT_FALSE(form.okKey()->isVisible());
        EXPECT_EQ(form.functionsPanel()->lamp(3)->isLit(), reverse == 1);
        EXPECT_EQ(form.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 1);
    }
}

TEST_F(FunctionKeys, GridPanelIsHiddenWhileTheClearIsSent) {
    MainWindow& form = open();
    if (!form.gridPanel()) GTEST_SKIP() << "the grid panel is not built";
    bool hiddenDuringRequest = false;
    f.unit->addObserver([&](const UsbRequest& r) {
        if (r.request == static_cast<std::uint8_t>(RequestCode::Clear))
            hiddenDuringRequest = form.gridPanel()->isHidden();
    });
    click(form.functionsPanel()->key(kClearTag));
    click(form.okKey());
    EXPECT_TRUE(hiddenDuringRequest);
    EXPECT_TRUE(form.gridPanel()->isVisible());
}

TEST_F(FunctionKeys, ReverseTwiceThenOkStillSwitchesTheOrientation) {
    MainWindow& form = open();
    click(form.functionsPanel()->key(kReverseTag));
    EXPECT_TRUE(form.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_EQ(form.controller().functionKeys().step(), Step::ReverseConfirm);
    click(form.functionsPanel()->key(kReverseTag));
    EXPECT_FALSE(form.functionsPanel()->key(kReverseTag)->isChecked());  // shows what was asked for
    EXPECT_EQ(form.controller().functionKeys().step(), Step::ReverseConfirm);
    click(form.okKey());
    EXPECT_EQ(form.controller().state().ReverseMode, 1);
    EXPECT_TRUE(form.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(form.functionsPanel()->lamp(3)->isLit());
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0001 0000 8"}));
    Tick(form);
    EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
    EXPECT_TRUE(form.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(form.functionsPanel()->lamp(3)->isLit());

    // And back again.
    click(form.functionsPanel()->key(kReverseTag));
    click(form.okKey());
    EXPECT_EQ(form.controller().state().ReverseMode, 0);
    EXPECT_FALSE(form.functionsPanel()->lamp(3)->isLit());
    EXPECT_EQ(Sent(f), (std::vector<std::string>{"c0 05 0000 0000 8"}));
}

TEST_F(FunctionKeys, UnansweredReverseReturnsTheKeyAndLampToTheOrientationInForce) {
    for (std::uint8_t reverse : {0, 1}) {
        SCOPED_TRACE(reverse);
        FormFixture g;
        g.firmware().state().ReverseMode = reverse;
        MainWindow& form = g.open();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 1);
        g.takeRequests();
        click(form.functionsPanel()->key(kReverseTag));
        EXPECT_EQ(form.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 0);
        Tick(form, 9);
        EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
        EXPECT_EQ(form.functionsPanel()->key(kReverseTag)->isChecked(), reverse == 1);
        EXPECT_EQ(form.functionsPanel()->lamp(3)->isLit(), reverse == 1);
        EXPECT_EQ(form.controller().state().ReverseMode, reverse);
        EXPECT_TRUE(Sent(g).empty());
    }
}

TEST_F(FunctionKeys, ReverseLeftForStoreDoesNotStayDown) {
    MainWindow& form = open();
    click(form.functionsPanel()->key(kReverseTag));
    Tick(form);
    EXPECT_TRUE(form.functionsPanel()->lamp(3)->isLit());
    click(form.functionsPanel()->key(kStoreTag));
    EXPECT_FALSE(form.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_FALSE(form.functionsPanel()->lamp(3)->isLit());
    EXPECT_FALSE(form.okLamp()->isLit());
    EXPECT_TRUE(form.okKey()->isVisible());  // until the STORE step ends
    Tick(form, 10);                          // armed in the off half
    EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(form.okKey()->isVisible());
    EXPECT_FALSE(form.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_EQ(form.controller().state().ReverseMode, 0);
}

TEST_F(FunctionKeys, OkWhileStoreWaitsEndsTheStepWithoutStoring) {
    f.firmware().state().LineRoute[0][0][1] = 0;
    MainWindow& form = open();
    const MatrixState before = form.controller().state();
    click(form.functionsPanel()->key(kClearTag));
    click(form.functionsPanel()->key(kStoreTag));
    EXPECT_EQ(form.controller().functionKeys().step(), Step::StoreSelect);
    ASSERT_TRUE(form.okKey()->isVisible());
    click(form.okKey());
    EXPECT_EQ(form.controller().functionKeys().step(), Step::StoreSelect);
    EXPECT_EQ(form.controller().functionKeys().blinkCount(), kEndArmedStep);
    Tick(form);
    EXPECT_EQ(form.controller().functionKeys().step(), Step::Idle);
    EXPECT_FALSE(form.okKey()->isVisible());
    EXPECT_TRUE(SameState(before, form.controller().state()));
    EXPECT_TRUE(Sent(f).empty());
}

}  // namespace
