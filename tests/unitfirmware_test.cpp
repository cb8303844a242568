#include <gtest/gtest.h>

#include <cstring>

#include "device/configimage.h"
#include "device/requests.h"
#include "statediff.h"
#include "virtualunit/unitfirmware.h"

using namespace corvane;

namespace {

struct Unit {
    UnitFirmware fw{3};

    int command(RequestCode code, std::uint16_t value, std::uint16_t index) {
        std::uint8_t reply[8];
        return fw.handleRequest(kVendorIn, static_cast<std::uint8_t>(code), value, index, reply, 8);
    }
    std::vector<DeviceEvent> drain() {
        std::vector<DeviceEvent> events;
        std::uint8_t buf[8];
        while (fw.handleRequest(kVendorIn, 50, 0, 0, buf, 8) == 8) {
            DeviceEvent e;
            std::copy_n(buf, 8, e.begin());
            events.push_back(e);
        }
        return events;
    }
};

}  // namespace

TEST(UnitFirmware, HostCommandsChangeStateAndReportUnsavedFlags) {
    Unit u;
    EXPECT_EQ(u.command(RequestCode::SetRoute, UnitRow(2, 3), 7), 8);
    EXPECT_EQ(u.fw.state().LineRoute[2][0][7], 3);
    auto events = u.drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], MakeEvent(EventCode::RouteChanged, 7, 0x23));
    EXPECT_EQ(events[1], MakeEvent(EventCode::UnsavedChanged, 0x04));

    u.command(RequestCode::Store, 2, 2);
    EXPECT_EQ(u.fw.state().LineRoute[2][3][7], 3);
    EXPECT_EQ(u.fw.state().CurrentMemory[0], 2);
    EXPECT_EQ(u.drain(), std::vector<DeviceEvent>{MakeEvent(EventCode::UnsavedChanged, 0)});

    u.command(RequestCode::Clear, 1, 0);
    EXPECT_EQ(u.fw.state().LineRoute[1][0][0], kDisconnected);
    EXPECT_EQ(u.drain(), std::vector<DeviceEvent>{MakeEvent(EventCode::UnsavedChanged, 0x02)});

    // No echo that would make the host send the same command again.
    u.command(RequestCode::SetReverse, 1, 0);
    EXPECT_EQ(u.fw.state().ReverseMode, 1);
    EXPECT_TRUE(u.drain().empty());
}

TEST(UnitFirmware, RequestsOutsideTheRangesAreIgnored) {
    UnitFirmware fw(1);
    std::uint8_t reply[8];
    const MatrixState before = fw.state();
    fw.handleRequest(kVendorIn, 4, UnitRow(3, 1), 2, reply, 8);  // no third slave
    fw.handleRequest(kVendorIn, 4, UnitRow(0, 5), 2, reply, 8);
    fw.handleRequest(kVendorIn, 6, 9, 0, reply, 8);
    fw.handleRequest(kVendorIn, 10, 2, 0, reply, 8);
    EXPECT_TRUE(SameState(before, fw.state()));
    EXPECT_EQ(fw.pendingEvents(), 0u);
    EXPECT_EQ(fw.handleRequest(kVendorIn, 99, 0, 0, reply, 8), -1);
}

TEST(UnitFirmware, FrontPanelQueuesTheEventsTheHostIsTold) {
    Unit u;
    u.fw.pressRoute(1, 3, 7);
    u.fw.pressRecall(4);
    u.fw.pressStore(2, 3);
    u.fw.pressClear(3);
    u.fw.pressReverse(true);
    u.fw.replaceConfiguration(MatrixState{});
    const std::vector<DeviceEvent> expected = {
        MakeEvent(EventCode::RouteChanged, 7, 0x13), MakeEvent(EventCode::UnsavedChanged, 0x02),
        MakeEvent(EventCode::MemoryRecalled, 0, 4),  MakeEvent(EventCode::UnsavedChanged, 0),
        MakeEvent(EventCode::MemoryStored, 2, 3),    MakeEvent(EventCode::UnsavedChanged, 0),
        MakeEvent(EventCode::MemoryCleared, 3),      MakeEvent(EventCode::UnsavedChanged, 0x08),
        MakeEvent(EventCode::ReverseChanged, 1),     MakeEvent(EventCode::ImageChanged),
    };
    EXPECT_EQ(u.drain(), expected);
    EXPECT_EQ(u.fw.state().SlaveCount, 3);  // a wholesale change keeps the cabling
}

TEST(UnitFirmware, ImageRoundTripThroughTheUnit) {
    Unit u;
    u.fw.pressRoute(0, 2, 5);
    std::uint8_t image[256] = {};
    ASSERT_EQ(u.fw.handleRequest(kVendorIn, 1, 0, 0, image, 256), 229);
    EXPECT_EQ(image[227], 3);
    EXPECT_EQ(image[228], 0x01);  // the unit reports its unsaved flags

    MatrixState host{};
    ImageBuffer buffer{};
    std::copy_n(image, 229, buffer.begin());
    DecodeConfigImage(host, buffer);
    EXPECT_EQ(host.LineRoute[0][0][5], 2);
    host.LineRoute[3][2][9] = 1;
    host.SlaveCount = 1;
    const ImageBuffer out = EncodeConfigImage(host);
    std::uint8_t sent[229];
    std::copy_n(out.begin(), 229, sent);
    EXPECT_EQ(u.fw.handleRequest(kVendorOut, 12, 0, 0, sent, 229), 229);
    EXPECT_EQ(u.fw.state().LineRoute[3][2][9], 1);
    EXPECT_EQ(u.fw.state().SlaveCount, 3);
}

// A full queue loses no change: the host is told to read the whole configuration instead.
TEST(UnitFirmware, FullEventQueueBecomesOneImageChanged) {
    Unit u;
    for (int i = 0; i < 40; ++i) u.fw.pressRoute(1, i % 4, i % kLines);  // two events each
    EXPECT_EQ(u.fw.overflows(), 1);
    u.fw.pressRoute(2, 1, 3);
    const std::vector<DeviceEvent> events = u.drain();
    ASSERT_EQ(events.size(), 2 * 40 - UnitFirmware::kMaxEvents + 2);  // the image replaced one event
    EXPECT_EQ(events.front(), MakeEvent(EventCode::ImageChanged));
    EXPECT_EQ(events[events.size() - 2], MakeEvent(EventCode::RouteChanged, 3, 0x21));
    EXPECT_EQ(u.fw.state().LineRoute[1][kWorkMemory][39 % kLines], 39 % 4);
}
