// Runs under corvane-usb-harness: the real USB library finds and drives the virtual unit through
// device nodes. The cases build on each other and run in file order, ending with the unplugging;
// see tests/usbnode/CMakeLists.txt for the bus each run sees.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "device/configimage.h"
#include "device/devicelink.h"
#include "device/libusbinterface.h"
#include "device/opendevice.h"
#include "device/requests.h"
#include "recordingnotifier.h"
#include "version.h"

using namespace corvane;

namespace {

std::vector<DeviceEvent> drain(DeviceLink& link) {
    std::vector<DeviceEvent> events;
    DeviceEvent e{};
    for (int i = 0; i < 16 && link.pollEvent(e) >= 2; ++i) events.push_back(e);
    return events;
}

class UsbNode : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        link = std::make_unique<DeviceLink>(usb, notifier);
        opened = link->open(CORVANE_MANUFACTURER);
    }
    static void TearDownTestSuite() { link.reset(); }
    void SetUp() override {
        ASSERT_EQ(opened, kOpened);
        notifier.messages.clear();
    }

    static MatrixState readState() {
        ImageBuffer image{};
        EXPECT_EQ(link->readImage(image), kConfigImageSize);
        MatrixState state{};
        DecodeConfigImage(state, image);
        return state;
    }

    static inline LibUsbInterface usb;
    static inline RecordingNotifier notifier;
    static inline std::unique_ptr<DeviceLink> link;
    static inline int opened = -1;
};

}  // namespace

TEST_F(UsbNode, FindsTheUnitAmongDecoysAndReadsBothStrings) {
    RecordingNotifier quiet;
    DeviceHandle handle;
    ASSERT_EQ(OpenDevice(usb, quiet, handle, kUnitVendorId, CORVANE_MANUFACTURER, kUnitProductId,
                         kUnitProductString),
              kOpened);
    EXPECT_TRUE(quiet.messages.empty());

    std::string text;
    EXPECT_EQ(ReadStringDescriptor(usb, handle.get(), 1, kLanguageUsEnglish, text, 256),
              static_cast<int>(std::strlen(CORVANE_MANUFACTURER)));
    EXPECT_EQ(text, CORVANE_MANUFACTURER);
    EXPECT_EQ(ReadStringDescriptor(usb, handle.get(), 2, kLanguageUsEnglish, text, 256), 23);
    EXPECT_EQ(text, kUnitProductString);
    // A string the unit does not have stalls, as hardware does.
    EXPECT_LT(ReadStringDescriptor(usb, handle.get(), 9, kLanguageUsEnglish, text, 256), 0);
}

TEST_F(UsbNode, ReadsTheWholeImage) {
    const MatrixState state = readState();
    EXPECT_EQ(state.SlaveCount, 1);  // --slaves 1
    EXPECT_EQ(state.LineRoute[0][kWorkMemory][0], kDisconnected);
}

TEST_F(UsbNode, FrontPanelScriptArrivesAsEvents) {
    // panel.txt: "@0 route 2 1 5", unit 2 puts line 5 on channel 1.
    EXPECT_EQ(drain(*link), (std::vector<DeviceEvent>{MakeEvent(EventCode::RouteChanged, 4, 0x10),
                                                      MakeEvent(EventCode::UnsavedChanged, 0x02)}));
    EXPECT_EQ(readState().LineRoute[1][kWorkMemory][4], 0);
}

TEST_F(UsbNode, CommandChangesTheUnitAndIsEchoed) {
    link->sendCommand(RequestCode::SetRoute, UnitRow(0, 2), 3);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(drain(*link), (std::vector<DeviceEvent>{MakeEvent(EventCode::RouteChanged, 3, 0x02),
                                                      MakeEvent(EventCode::UnsavedChanged, 0x03)}));
    EXPECT_EQ(readState().LineRoute[0][kWorkMemory][3], 2);
}

TEST_F(UsbNode, WrittenImageReadsBack) {
    MatrixState state = readState();
    state.LineRoute[1][3][15] = 3;
    state.ChannelRoute[0][kWorkMemory][2] = 9;
    state.CurrentMemory[1] = 4;
    EXPECT_EQ(link->writeImage(EncodeConfigImage(state)), kConfigImageSize);
    EXPECT_TRUE(notifier.messages.empty());

    const MatrixState back = readState();
    EXPECT_EQ(back.LineRoute[1][3][15], 3);
    EXPECT_EQ(back.ChannelRoute[0][kWorkMemory][2], 9);
    EXPECT_EQ(back.CurrentMemory[1], 4);
}

TEST_F(UsbNode, UnpluggingFailsEveryLaterTransfer) {
    // The harness unplugs the unit after a fixed number of transfers; poll until it happens.
    DeviceEvent e{};
    int result = 0;
    for (int i = 0; i < 200 && result >= 0; ++i) result = link->pollEvent(e);
    EXPECT_EQ(result, -ENODEV);
    EXPECT_NE(link->lastError().find("No such device"), std::string::npos) << link->lastError();

    link->sendCommand(RequestCode::Recall, 0, 0);
    ImageBuffer image{};
    EXPECT_LT(link->readImage(image), 0);
    EXPECT_LT(link->writeImage(image), 0);
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages[0].text, "USB error: error sending control message: No such device\n");
    EXPECT_EQ(notifier.messages[1].icon, MessageIcon::Error);
}

TEST(NoUnit, DecoysAloneAreNoMatch) {
    LibUsbInterface usb;
    RecordingNotifier notifier;
    DeviceHandle handle;
    EXPECT_EQ(OpenDevice(usb, notifier, handle, kUnitVendorId, CORVANE_MANUFACTURER, kUnitProductId,
                         kUnitProductString),
              kNoMatchingUnit);
    EXPECT_FALSE(handle);
    EXPECT_TRUE(notifier.messages.empty());
}
