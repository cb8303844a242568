#include <gtest/gtest.h>

#include "device/devicelink.h"
#include "recordingnotifier.h"
#include "virtualunit/virtualbus.h"

using namespace corvane;

namespace {

struct Linked {
    std::shared_ptr<DeviceModel> unit;
    std::unique_ptr<VirtualBus> bus = VirtualBus::WithUnit(3, &unit);
    RecordingNotifier notifier;
    DeviceLink link{*bus, notifier};

    Linked() {
        EXPECT_EQ(link.open("quenda.example"), 0);
        unit->clearRequests();
    }
    const UsbRequest& last() const { return unit->requests().back(); }
};

}  // namespace

TEST(DeviceLink, EveryRequestHasItsForm) {
    struct Case {
        RequestCode code;
        std::uint16_t value, index;
        std::uint8_t type;
        std::uint16_t length;
    };
    const Case cases[] = {
        {RequestCode::SetRoute, 0x23, 7, 0xC0, 8}, {RequestCode::SetRoute, 0x01, 16, 0xC0, 8},
        {RequestCode::SetReverse, 1, 0, 0xC0, 8},  {RequestCode::Recall, 4, 3, 0xC0, 8},
        {RequestCode::Store, 2, 1, 0xC0, 8},       {RequestCode::Clear, 2, 0, 0xC0, 8},
    };
    for (const Case& c : cases) {
        Linked l;
        l.link.sendCommand(c.code, c.value, c.index);
        ASSERT_EQ(l.unit->requests().size(), 1u);
        EXPECT_EQ(l.last().requestType, c.type);
        EXPECT_EQ(l.last().request, static_cast<std::uint8_t>(c.code));
        EXPECT_EQ(l.last().value, c.value);
        EXPECT_EQ(l.last().index, c.index);
        EXPECT_EQ(l.last().length, c.length);
        EXPECT_TRUE(l.notifier.messages.empty());
    }

    Linked l;
    ImageBuffer image{};
    EXPECT_EQ(l.link.readImage(image), 229);
    EXPECT_EQ(TraceLine(l.last()), "c0 01 0000 0000 256");
    EXPECT_EQ(l.link.writeImage(image), 229);
    EXPECT_EQ(l.last().requestType, 0x40);
    EXPECT_EQ(l.last().request, 12);
    EXPECT_EQ(l.last().length, 229);
    EXPECT_EQ(l.last().data.size(), 229u);
    DeviceEvent event;
    l.link.pollEvent(event);
    EXPECT_EQ(TraceLine(l.last()), "c0 32 0000 0000 8");
    EXPECT_FALSE(IsTraced(l.last()));  // nothing was queued
}

// An idle demo polls 200 times a second for hours: the unit keeps only its latest requests, and
// the count that timed scripts go by carries on past the record and its clearing.
TEST(DeviceLink, TheUnitRecordsItsLatestRequestsAndCountsThemAll) {
    Linked l;
    const long before = l.unit->answeredRequests();
    DeviceEvent event{};
    const int polls = static_cast<int>(DeviceModel::kRecordedRequests) + 1000;
    for (int i = 0; i < polls; ++i) l.link.pollEvent(event);
    l.link.sendCommand(RequestCode::SetRoute, 0x21, 5);
    ASSERT_EQ(l.unit->requests().size(), DeviceModel::kRecordedRequests);
    EXPECT_EQ(TraceLine(l.last()), "c0 04 0021 0005 8");
    EXPECT_EQ(TraceLine(l.unit->requests().front()), "c0 32 0000 0000 8");
    EXPECT_EQ(l.unit->answeredRequests(), before + polls + 1);
    l.unit->clearRequests();
    l.link.pollEvent(event);
    EXPECT_EQ(l.unit->requests().size(), 1u);
    EXPECT_EQ(l.unit->answeredRequests(), before + polls + 2);
}

TEST(DeviceLink, FailedCommandShowsOneBoxAndIsNotRepeated) {
    for (FaultKind kind : {FaultKind::Fail, FaultKind::Timeout}) {
        Linked l;
        l.unit->addFault({0xC0, 4, kind, 0, -1});
        l.link.sendCommand(RequestCode::SetRoute, 0x21, 5);
        EXPECT_EQ(l.unit->requests().size(), 1u);
        ASSERT_EQ(l.notifier.messages.size(), 1u);
        const auto& m = l.notifier.messages[0];
        EXPECT_EQ(m.title, "CORVANE");
        EXPECT_EQ(m.icon, MessageIcon::None);
        EXPECT_EQ(m.text, kind == FaultKind::Fail
                              ? "USB error: error sending control message: Input/output error\n"
                              : "USB error: error sending control message: Connection timed out\n");
    }
}

TEST(DeviceLink, ImageWriteFailuresAndShortWrites) {
    Linked l;
    l.unit->addFault({0x40, 12, FaultKind::Short, 100, 1});
    EXPECT_EQ(l.link.writeImage(ImageBuffer{}), 100);
    EXPECT_TRUE(l.notifier.messages.empty());  // a short write is accepted silently

    l.unit->unplug();
    EXPECT_LT(l.link.writeImage(ImageBuffer{}), 0);
    ASSERT_EQ(l.notifier.messages.size(), 1u);
    EXPECT_EQ(l.notifier.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(l.notifier.messages[0].text,
              "USB error: error sending control message: No such device\nonly -19 bytes status received\n");
}

TEST(DeviceLink, ReceiveBuffersAreZeroedBeforeEachRead) {
    Linked l;
    l.unit->addFault({0xC0, 1, FaultKind::Short, 100, 1});
    ImageBuffer image;
    image.fill(0xEE);
    EXPECT_EQ(l.link.readImage(image), 100);
    for (int i = 100; i < kImageBufferSize; ++i) ASSERT_EQ(image[i], 0) << i;

    l.unit->firmware()->queueEvent(MakeEvent(EventCode::UnsavedChanged, 0xFF, 0xFF));
    l.unit->addFault({0xC0, 50, FaultKind::Short, 1, 1});
    DeviceEvent event;
    event.fill(0xEE);
    EXPECT_EQ(l.link.pollEvent(event), 1);
    EXPECT_EQ(event[0], 7);
    EXPECT_EQ(event[1], 0);
    EXPECT_EQ(event[2], 0);
}

TEST(Trace, LineForm) {
    UsbRequest r{0xC0, 4, 0x21, 5, 8, {}, 8};
    EXPECT_EQ(TraceLine(r), "c0 04 0021 0005 8");
    UsbRequest w{0x40, 12, 0, 0, 3, {0x00, 0xAB, 0x7F}, 3};
    EXPECT_EQ(TraceLine(w), "40 0c 0000 0000 3 00ab7f");
    UsbRequest emptyPoll{0xC0, 50, 0, 0, 8, {}, 0};
    UsbRequest failedPoll{0xC0, 50, 0, 0, 8, {}, -19};
    EXPECT_FALSE(IsTraced(emptyPoll));
    EXPECT_TRUE(IsTraced(failedPoll));
}
