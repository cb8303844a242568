#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "controller/matrixcontroller.h"
#include "device/requests.h"
#include "recordingnotifier.h"
#include "sentrequests.h"
#include "virtualunit/devicemodel.h"
#include "virtualunit/unitfirmware.h"
#include "virtualunit/virtualbus.h"

using namespace corvane;

namespace {

// The controller alone on a virtual unit, with its settings in a temporary folder and its timers
// driven by the test. No widget is involved.
struct ControllerFixture {
    explicit ControllerFixture(int slaves = 3) : bus(VirtualBus::WithUnit(slaves, &unit)) {}

    MatrixController& start(StartResult expected = StartResult::Connected) {
        controller = std::make_unique<MatrixController>(
            *bus, notifier, ControllerOptions{"quenda.example", dataDir.path().toStdString(), false});
        EXPECT_EQ(controller->start(), expected);
        sent();
        return *controller;
    }
    std::vector<std::string> sent() { return Sent(*unit); }
    UnitFirmware& firmware() { return *unit->firmware(); }

    QTemporaryDir dataDir;
    std::shared_ptr<DeviceModel> unit;
    std::unique_ptr<VirtualBus> bus;
    RecordingNotifier notifier;
    std::unique_ptr<MatrixController> controller;
};

using Lines = std::vector<std::string>;

}  // namespace

TEST(ControllerStart, ConnectedStartPollsAndAFailedOneShowsWhyAndDoesNot) {
    ControllerFixture f(2);
    MatrixController& c = f.start();
    EXPECT_TRUE(c.polling());
    EXPECT_EQ(c.state().SlaveCount, 2);
    EXPECT_TRUE(f.notifier.messages.empty());

    ControllerFixture none;
    none.unit->unplug();
    MatrixController& failed = none.start(StartResult::Failed);
    EXPECT_FALSE(failed.polling());
    ASSERT_FALSE(none.notifier.messages.empty());
    EXPECT_EQ(none.notifier.messages.back().text,
              "Could not find USB device \"CORVANE Intercom Matrix\" with vid=0x16c0 pid=0x5dc\n");
    failed.pollDevice();  // a tick that was already queued touches nothing
    EXPECT_TRUE(none.sent().empty());
}

// What goes to the unit depends on who made the change: the operator's always goes; of a front
// panel's, only a clear of the selected unit and a switch of the orientation go back.
TEST(ControllerOrigin, DecidesWhatIsSentToTheUnit) {
    struct Case {
        const char* what;
        std::function<void(MatrixController&, Origin)> act;
        Lines byOperator;
        Lines byFrontPanel;
    };
    const Case cases[] = {
        {"route",
         [](MatrixController& c, Origin o) { c.routeCrosspoint(1, 3, o); },
         {"c0 04 0001 0003 8"},
         {}},
        {"recall", [](MatrixController& c, Origin o) { c.recallMemory(2, o); }, {"c0 06 0002 0000 8"}, {}},
        {"clear",
         [](MatrixController& c, Origin o) { c.clearWorkMemory(o); },
         {"c0 0a 0000 0000 8"},
         {"c0 0a 0000 0000 8"}},
        {"reverse",
         [](MatrixController& c, Origin o) { c.setReverse(true, o); },
         {"c0 05 0001 0000 8"},
         {"c0 05 0001 0000 8"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        for (Origin origin : {Origin::Operator, Origin::Remote, Origin::FrontPanel}) {
            ControllerFixture f;
            MatrixController& c = f.start();
            k.act(c, origin);
            EXPECT_EQ(f.sent(), origin == Origin::FrontPanel ? k.byFrontPanel : k.byOperator);
        }
    }
}

TEST(ControllerRoutes, AnotherUnitIsRoutedAsAClickOnItsOwnGridWould) {
    ControllerFixture f;
    MatrixController& c = f.start();
    c.setArrangement(3);  // 4x1
    QSignalSpy maps(&c, &MatrixController::unitMapChanged);
    QSignalSpy grid(&c, &MatrixController::crosspointChanged);

    c.routeUnit(2, 1, 5, Origin::Remote);
    EXPECT_EQ(c.state().LineRoute[2][kWorkMemory][5], 1);
    EXPECT_EQ(c.state().SelectedUnit, 0);
    EXPECT_EQ(f.sent(), (Lines{"c0 04 0021 0005 8"}));
    ASSERT_EQ(maps.count(), 1);
    EXPECT_EQ(maps.at(0).at(0).toInt(), 2);
    EXPECT_EQ(grid.count(), 0);  // the grid shows another unit
    EXPECT_EQ(c.functionKeys().blinkCount(), kEndArmedStep);

    // The hidden column and units outside 0..3 are no crosspoints.
    c.routeUnit(2, 1, 16, Origin::Remote);
    c.routeUnit(4, 1, 5, Origin::Remote);
    EXPECT_TRUE(f.sent().empty());

    // The selected unit's grid reports the crosspoint.
    c.routeUnit(0, 2, 7, Origin::Remote);
    ASSERT_EQ(grid.count(), 1);
    EXPECT_EQ(grid.at(0).at(0).toInt(), 2);
    EXPECT_EQ(grid.at(0).at(1).toInt(), 7);
    EXPECT_EQ(f.sent(), (Lines{"c0 04 0002 0007 8"}));
}

TEST(ControllerSignals, ARecallRepaintsTheGridEveryUnitAndTheIndicators) {
    ControllerFixture f;
    MatrixController& c = f.start();
    QSignalSpy grid(&c, &MatrixController::gridChanged);
    QSignalSpy maps(&c, &MatrixController::unitMapChanged);
    QSignalSpy lamps(&c, &MatrixController::memoryLampsChanged);
    QSignalSpy indicators(&c, &MatrixController::indicatorsChanged);
    c.pressMemoryKey(4);
    EXPECT_EQ(grid.count(), 1);
    EXPECT_EQ(maps.count(), kUnits);
    EXPECT_GE(lamps.count(), 1);
    EXPECT_GE(indicators.count(), 1);
    for (int u = 0; u < kUnits; ++u) EXPECT_EQ(c.state().CurrentMemory[u], 4);
}

TEST(ControllerFunctionKeys, ClearWithOkClearsAndAnUnansweredStepEndsByItself) {
    ControllerFixture f;
    f.firmware().state().LineRoute[0][kWorkMemory][3] = 2;
    MatrixController& c = f.start();
    QSignalSpy offered(&c, &MatrixController::confirmationOffered);
    c.pressFunctionKey(kClearTag);
    EXPECT_EQ(c.functionKeys().step(), Step::ClearConfirm);
    EXPECT_EQ(offered.count(), 1);
    EXPECT_TRUE(c.blinking());
    c.confirm();
    EXPECT_EQ(c.state().LineRoute[0][kWorkMemory][3], kDisconnected);
    EXPECT_EQ(f.sent(), (Lines{"c0 0a 0000 0000 8"}));
    c.blinkTick();
    EXPECT_EQ(c.functionKeys().step(), Step::Idle);

    c.pressFunctionKey(kStoreTag);
    int ticks = 0;
    while (c.functionKeys().armed() && ticks < 20) {
        c.blinkTick();
        ++ticks;
    }
    EXPECT_FALSE(c.functionKeys().armed());
    EXPECT_GE(ticks, 9);  // the fifth on half ends it
    EXPECT_LE(ticks, 10);
    EXPECT_TRUE(f.sent().empty());
}

TEST(ControllerDevice, FrontPanelEventsChangeTheModelAndALostUnitEndsPolling) {
    ControllerFixture f;
    MatrixController& c = f.start();
    f.firmware().pressRoute(1, 2, 9);
    f.firmware().pressRecall(3);
    for (int i = 0; i < 8; ++i) c.pollDevice();
    EXPECT_EQ(c.state().CurrentMemory[0], 3);
    EXPECT_TRUE(f.sent().empty());

    QSignalSpy lost(&c, &MatrixController::unitLost);
    f.unit->unplug();
    c.pollDevice();
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(c.polling());
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
