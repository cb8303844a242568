#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "device/requests.h"
#include "virtualunit/devicemodel.h"
#include "virtualunit/panelscript.h"
#include "virtualunit/virtualbus.h"

using namespace corvane;

namespace {

using Kind = PanelScript::Kind;

struct Unit {
    std::shared_ptr<UnitFirmware> firmware = std::make_shared<UnitFirmware>(3);
    DeviceModel device{VirtualBus::UnitIdentity(), firmware};

    std::vector<DeviceEvent> drain() {
        std::vector<DeviceEvent> events;
        DeviceEvent e{};
        while (device.control(kVendorIn, 50, 0, 0, e.data(), 8) == 8) events.push_back(e);
        return events;
    }
};

std::string errorOf(std::string_view text) {
    try {
        PanelScript::Parse(text);
    } catch (const PanelScriptError& e) {
        return e.what();
    }
    return "(parsed)";
}

}  // namespace

TEST(PanelScript, ActionsCountAsTheOperatorDoes) {
    const PanelScript script = PanelScript::Parse(
        "0ms route 2 3 7\n"
        "@12 route 1 off 16\n"
        "250ms route 4 1 off\n"
        "@0 recall 5\n"
        "10ms store 3 1\n"
        "10ms clear 4\n"
        "10ms reverse on\n"
        "10ms reverse off\n"
        "10ms image\n"
        "10ms event 09 0x07 13\n"
        "10ms unplug\n");
    const auto& a = script.actions();
    ASSERT_EQ(a.size(), 11u);

    EXPECT_EQ(a[0].kind, Kind::Route);
    EXPECT_FALSE(a[0].afterTransfers);
    EXPECT_EQ(a[0].when, 0);
    EXPECT_EQ(a[0].unit, 1);
    EXPECT_EQ(a[0].row, 2);
    EXPECT_EQ(a[0].column, 6);

    EXPECT_TRUE(a[1].afterTransfers);
    EXPECT_EQ(a[1].when, 12);
    EXPECT_EQ(a[1].row, kDisconnected);
    EXPECT_EQ(a[1].column, 15);
    EXPECT_EQ(a[2].when, 250);
    EXPECT_EQ(a[2].unit, 3);
    EXPECT_EQ(a[2].column, kNoLine);

    EXPECT_EQ(a[3].kind, Kind::Recall);
    EXPECT_EQ(a[3].memory, 4);
    EXPECT_EQ(a[4].kind, Kind::Store);
    EXPECT_EQ(a[4].unit, 2);
    EXPECT_EQ(a[4].memory, 0);
    EXPECT_EQ(a[5].kind, Kind::Clear);
    EXPECT_EQ(a[5].unit, 3);
    EXPECT_TRUE(a[6].on);
    EXPECT_FALSE(a[7].on);
    EXPECT_EQ(a[8].kind, Kind::Image);
    EXPECT_EQ(a[9].event, (DeviceEvent{0x09, 0x07, 0x13, 0, 0, 0, 0, 0}));
    EXPECT_EQ(a[10].kind, Kind::Unplug);
    EXPECT_EQ(a[10].line, 11);
}

TEST(PanelScript, CommentsBlankLinesAndSpacingAreIgnored) {
    const PanelScript script = PanelScript::Parse(
        "# front panel of the rehearsal\n"
        "\n"
        "   \t\n"
        "\t100ms   recall 2   # the second memory\r\n"
        "@5 event ff");
    ASSERT_EQ(script.actions().size(), 2u);
    EXPECT_EQ(script.actions()[0].line, 4);
    EXPECT_EQ(script.actions()[0].memory, 1);
    EXPECT_EQ(script.actions()[1].event[0], 0xFF);
    EXPECT_TRUE(PanelScript::Parse("").actions().empty());
}

TEST(PanelScript, BadLinesNameTheirLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"# comment\n\n100ms jump 1", "line 3: unknown action \"jump\""},
        {"100 recall 1", "line 1: expected a time such as 500ms or @120, not \"100\""},
        {"-5ms recall 1", "line 1: expected a time"},
        {"@ recall 1", "line 1: expected a time"},
        {"5s recall 1", "line 1: expected a time"},
        {"@99999999999999999999 recall 1", "line 1: expected a time"},
        {"100ms", "line 1: an action must follow the time"},
        {"0ms route 5 1 1", "line 1: unit must be 1..4, not \"5\""},
        {"0ms route 1 0 1", "line 1: channel must be 1..4 or off, not \"0\""},
        {"0ms route 1 1 17", "line 1: line must be 1..16 or off, not \"17\""},
        {"0ms route 1 1", "line 1: \"route\" takes 3 arguments"},
        {"0ms recall 6", "line 1: memory must be 1..5, not \"6\""},
        {"0ms recall off", "line 1: memory must be 1..5, not \"off\""},
        {"0ms store 1", "line 1: \"store\" takes 2 arguments"},
        {"0ms clear", "line 1: \"clear\" takes 1 argument"},
        {"0ms reverse yes", "line 1: reverse takes on or off"},
        {"0ms image now", "line 1: \"image\" takes 0 arguments"},
        {"0ms event", "line 1: event takes 1 to 8 bytes in hex"},
        {"0ms event 1 2 3 4 5 6 7 8 9", "line 1: event takes 1 to 8 bytes in hex"},
        {"0ms event 100", "line 1: \"100\" is not a byte in hex"},
        {"0ms event 1g", "line 1: \"1g\" is not a byte in hex"},
        {"0ms event 0x", "line 1: \"0x\" is not a byte in hex"},
    };
    for (const Case& c : cases) {
        const std::string message = errorOf(c.text);
        EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.text << " gave: " << message;
    }
}

TEST(PanelScript, LoadNamesTheFile) {
    const std::string path = testing::TempDir() + "panelscript_test.txt";
    std::ofstream(path) << "0ms recall 1\n0ms recall 9\n";
    try {
        PanelScript::Load(path);
        ADD_FAILURE() << "the bad memory was accepted";
    } catch (const PanelScriptError& e) {
        EXPECT_EQ(std::string(e.what()), path + ": line 2: memory must be 1..5, not \"9\"");
    }
    std::ofstream(path) << "0ms recall 1\n";
    EXPECT_EQ(PanelScript::Load(path).actions().size(), 1u);
    std::remove(path.c_str());
    EXPECT_THROW(PanelScript::Load(path), PanelScriptError);
}

TEST(PanelScript, ActionsBecomeDueByTimeOrTransfersAndRunOnce) {
    Unit u;
    PanelScript script = PanelScript::Parse(
        "100ms route 1 2 3\n"
        "@10 clear 2\n"
        "50ms recall 3\n");

    EXPECT_EQ(script.nextDueMs(), 50);
    EXPECT_TRUE(script.waitsForTransfers());
    EXPECT_EQ(script.advance(49, 9, u.device), 0);
    EXPECT_TRUE(u.drain().empty());

    // A later line that is due does not wait for an earlier one that is not.
    EXPECT_EQ(script.advance(50, 9, u.device), 1);
    EXPECT_EQ(u.drain(), (std::vector<DeviceEvent>{MakeEvent(EventCode::MemoryRecalled, 0, 2),
                                                   MakeEvent(EventCode::UnsavedChanged, 0)}));
    EXPECT_EQ(script.nextDueMs(), 100);

    // Due together: applied in file order.
    EXPECT_EQ(script.advance(100, 10, u.device), 2);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(script.nextDueMs(), std::nullopt);
    EXPECT_FALSE(script.waitsForTransfers());
    EXPECT_EQ(u.drain(),
              (std::vector<DeviceEvent>{
                  MakeEvent(EventCode::RouteChanged, 2, 0x01), MakeEvent(EventCode::UnsavedChanged, 0x01),
                  MakeEvent(EventCode::MemoryCleared, 1), MakeEvent(EventCode::UnsavedChanged, 0x03)}));
    EXPECT_EQ(u.firmware->state().LineRoute[0][kWorkMemory][2], 1);

    EXPECT_EQ(script.advance(1000, 1000, u.device), 0);
    EXPECT_TRUE(u.drain().empty());
}

TEST(PanelScript, FrontPanelActionsReachTheFirmware) {
    Unit u;
    PanelScript script = PanelScript::Parse(
        "0ms store 2 4\n"
        "0ms reverse on\n"
        "0ms route 3 4 off\n"
        "0ms event 0c 01 02 03 04 05 06 07\n");
    script.advance(0, 0, u.device);
    const MatrixState& s = u.firmware->state();
    EXPECT_EQ(s.CurrentMemory[0], 3);
    EXPECT_EQ(s.ReverseMode, 1);
    EXPECT_EQ(s.ChannelRoute[2][kWorkMemory][3], kNoLine);
    EXPECT_EQ(u.drain(),
              (std::vector<DeviceEvent>{
                  MakeEvent(EventCode::MemoryStored, 1, 3), MakeEvent(EventCode::UnsavedChanged, 0),
                  MakeEvent(EventCode::ReverseChanged, 1), MakeEvent(EventCode::RouteChanged, 16, 0x23),
                  MakeEvent(EventCode::UnsavedChanged, 0x04), DeviceEvent{12, 1, 2, 3, 4, 5, 6, 7}}));
}

TEST(PanelScript, ImageMovesEveryRouteOnAndAsksForARead) {
    Unit u;
    u.firmware->state().LineRoute[1][2][5] = 2;
    u.firmware->state().ChannelRoute[3][0][1] = kNoLine;
    PanelScript script = PanelScript::Parse("0ms image");
    script.advance(0, 0, u.device);
    const MatrixState& s = u.firmware->state();
    EXPECT_EQ(s.LineRoute[1][2][5], 3);
    EXPECT_EQ(s.LineRoute[0][0][0], 0);  // Disconnected wraps round to the first channel
    EXPECT_EQ(s.ChannelRoute[3][0][1], 0);
    EXPECT_EQ(s.SlaveCount, 3);
    EXPECT_EQ(u.drain(), std::vector<DeviceEvent>{MakeEvent(EventCode::ImageChanged)});
}

TEST(PanelScript, UnplugEndsEveryTransferAlsoOnADeviceWithoutPanel) {
    Unit u;
    DeviceModel decoy(UsbIdentity{0x1234, 0x5678, u"other.example", u"Other"});
    PanelScript script = PanelScript::Parse("@2 recall 1\n@2 unplug\n");
    for (DeviceModel* device : {&u.device, &decoy}) {
        PanelScript copy = script;
        std::uint8_t buffer[8];
        EXPECT_EQ(copy.advance(0, 2, *device), 2);
        EXPECT_EQ(device->control(kVendorIn, 50, 0, 0, buffer, 8), -ENODEV);
        EXPECT_TRUE(device->unplugged());
    }
    EXPECT_EQ(u.firmware->pendingEvents(), 2u);  // queued, but never fetched
}
