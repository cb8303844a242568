#include <gtest/gtest.h>

#include "device/messages.h"
#include "device/opendevice.h"
#include "device/requests.h"
#include "recordingnotifier.h"
#include "virtualunit/virtualbus.h"

using namespace corvane;

namespace {

UsbIdentity unitWith(std::u16string manufacturer, std::u16string product) {
    UsbIdentity id = VirtualBus::UnitIdentity();
    id.manufacturer = std::move(manufacturer);
    id.productName = std::move(product);
    return id;
}

struct Search {
    VirtualBus bus;
    RecordingNotifier notifier;
    DeviceHandle handle;

    int run() {
        return OpenDevice(bus, notifier, handle, kUnitVendorId, "quenda.example", kUnitProductId,
                          kUnitProductString);
    }
    // The model behind the open handle, found by the request it just answered.
    bool opened(const DeviceModel& model) const {
        return handle && !model.requests().empty() && model.requests().back().index == kLanguageUsEnglish;
    }
};

}  // namespace

TEST(OpenDevice, NoDeviceWithTheIdsShowsNoWarning) {
    Search s;
    s.bus.addDevice(0, UsbIdentity{0x1234, 0x5678, u"quenda.example", u"CORVANE Intercom Matrix"});
    EXPECT_EQ(s.run(), kNoMatchingUnit);
    EXPECT_FALSE(s.handle);
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(OpenDevice, FirstMatchingUnitInBusAndDeviceOrder) {
    Search s;
    auto decoy = s.bus.addDevice(0, unitWith(u"quenda.example", u"CORVANE Intercom Matrix 2"));
    auto otherMaker = s.bus.addDevice(0, unitWith(u"Quenda.example", u"CORVANE Intercom Matrix"));
    auto first = s.bus.addDevice(1, VirtualBus::UnitIdentity());
    auto second = s.bus.addDevice(1, VirtualBus::UnitIdentity());
    EXPECT_EQ(s.run(), kOpened);
    EXPECT_TRUE(s.opened(*first));
    EXPECT_TRUE(second->requests().empty());
    // The decoys were opened, asked and closed again; only the unit stays open.
    EXPECT_EQ(decoy->requests().size(), 2u);
    EXPECT_EQ(otherMaker->requests().size(), 1u);  // letter case counts: the product is never asked
    EXPECT_EQ(s.bus.openHandles(), 1);
    EXPECT_TRUE(s.notifier.messages.empty());
}

TEST(OpenDevice, CharactersAboveLatin1CompareAsQuestionMarks) {
    Search s;
    auto unit = s.bus.addDevice(0, unitWith(u"quenda.example", u"CORVANE Intercom Matri\u0416"));
    EXPECT_EQ(s.run(), kNoMatchingUnit);

    std::string text;
    DeviceHandle h(s.bus, s.bus.open(s.bus.getBusses()[0].devices[0]));
    EXPECT_EQ(ReadStringDescriptor(s.bus, h.get(), 2, kLanguageUsEnglish, text, 256), 23);
    EXPECT_EQ(text, "CORVANE Intercom Matri?");
    EXPECT_EQ(ReadStringDescriptor(s.bus, h.get(), 2, kLanguageUsEnglish, text, 5), 5);
    EXPECT_EQ(text, "CORVA");
}

TEST(OpenDevice, ResultAndWarningsReflectTheLastCandidate) {
    struct Case {
        const char* name;
        bool openFails;
        bool stringsFail;
        int expected;
        const char* warning;
    };
    const Case cases[] = {
        {"cannot open", true, false, kOpenFailed, "Warning: cannot open USB device: "},
        {"strings unreadable", false, true, kStringUnreadable,
         "Warning: cannot query manufacturer for device: "},
    };
    for (const Case& c : cases) {
        Search s;
        auto unit = s.bus.addDevice(0, VirtualBus::UnitIdentity());
        unit->setOpenFails(c.openFails);
        unit->setStringsFail(c.stringsFail);
        EXPECT_EQ(s.run(), c.expected) << c.name;
        ASSERT_EQ(s.notifier.messages.size(), 1u) << c.name;
        EXPECT_EQ(s.notifier.messages[0].title, "CORVANE");
        EXPECT_EQ(s.notifier.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(s.notifier.messages[0].text.rfind(c.warning, 0), 0u) << s.notifier.messages[0].text;
        EXPECT_EQ(s.notifier.messages[0].text.back(), '\n');
        EXPECT_EQ(s.bus.openHandles(), 0) << c.name;
    }
}

TEST(OpenDevice, ProductUnreadableAfterMatchingManufacturer) {
    Search s;
    auto unit = s.bus.addDevice(0, VirtualBus::UnitIdentity());
    // The manufacturer reads whole, the product read times out.
    unit->addFault({kStandardIn, 6, FaultKind::Short, 256, 1});
    unit->addFault({kStandardIn, 6, FaultKind::Timeout, 0, 1});
    EXPECT_EQ(s.run(), kStringUnreadable);
    ASSERT_EQ(s.notifier.messages.size(), 1u);
    EXPECT_EQ(
        s.notifier.messages[0].text,
        "Warning: cannot query product for device: error sending control message: Connection timed out\n");
}

TEST(OpenDevice, LaterMismatchResetsTheResult) {
    Search s;
    auto broken = s.bus.addDevice(0, VirtualBus::UnitIdentity());
    broken->setOpenFails(true);
    s.bus.addDevice(0, unitWith(u"quenda.example", u"Something else"));
    EXPECT_EQ(s.run(), kNoMatchingUnit);
    EXPECT_EQ(s.notifier.messages.size(), 1u);
}

TEST(OpenDevice, StringRequestForm) {
    Search s;
    auto unit = s.bus.addDevice(0, VirtualBus::UnitIdentity());
    ASSERT_EQ(s.run(), kOpened);
    ASSERT_EQ(unit->requests().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const UsbRequest& r = unit->requests()[i];
        EXPECT_EQ(r.requestType, 0x80);
        EXPECT_EQ(r.request, 6);
        EXPECT_EQ(r.value, 0x0300 + (i == 0 ? DeviceModel::kManufacturerIndex : DeviceModel::kProductIndex));
        EXPECT_EQ(r.index, 0x0409);
        EXPECT_EQ(r.length, 256);
    }
}

namespace {
// A library whose every transfer answers with the same reply bytes.
class CannedReply : public UsbInterface {
  public:
    explicit CannedReply(std::vector<std::uint8_t> reply) : m_reply(std::move(reply)) {}
    void init() override {}
    int findBusses() override { return 0; }
    int findDevices() override { return 0; }
    std::vector<UsbBus> getBusses() override { return {}; }
    UsbHandle open(const UsbDevice&) override { return nullptr; }
    int close(UsbHandle) override { return 0; }
    int controlMsg(UsbHandle, int, int, int, int, std::uint8_t* bytes, int, int) override {
        std::copy(m_reply.begin(), m_reply.end(), bytes);
        return static_cast<int>(m_reply.size());
    }
    std::string strerror() override { return {}; }

  private:
    std::vector<std::uint8_t> m_reply;
};
}  // namespace

TEST(ReadStringDescriptor, ReplyLengths) {
    struct Case {
        std::vector<std::uint8_t> reply;
        int count;
        std::string text;
    };
    const Case cases[] = {
        {{6, 2, 'a', 0, 'b', 0}, 0, ""},  // a configuration descriptor, not a string
        {{6, 3, 'a', 0, 'b', 0}, 2, "ab"},
        {{4, 3, 'a', 0, 'b', 0}, 1, "a"},        // the descriptor's own length wins
        {{200, 3, 'a', 0, 'b', 0}, 2, "ab"},     // ... unless fewer bytes arrived
        {{7, 3, 'a', 0, 'b', 0, 'c'}, 2, "ab"},  // an odd half is dropped
        {{2, 3}, 0, ""},
    };
    for (const Case& c : cases) {
        CannedReply usb(c.reply);
        std::string text = "old";
        EXPECT_EQ(ReadStringDescriptor(usb, nullptr, 1, kLanguageUsEnglish, text, 256), c.count);
        EXPECT_EQ(text, c.text);
    }
}
