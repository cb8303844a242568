#include <QAction>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

#include "formfixture.h"
#include "oscclient.h"

using namespace corvane;

namespace {

// What the operator sees of the routing and its state.
std::string Screen(MainWindow& w) {
    std::string s;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 17; ++c) {
            const CrosspointButton* b = w.grid().button(r, c);
            if (b->isVisible() && b->isConnected()) s += std::to_string(r) + "," + std::to_string(c) + " ";
        }
    s +=
        "| " + w.statusPanel(0)->text().toStdString() + " | " + w.statusPanel(1)->text().toStdString() + " |";
    for (int m = 0; m < kMemories; ++m) s += w.recallPanel()->lamp(m)->isLit() ? " lit" : " dark";
    s += w.functionsPanel()->key(kReverseTag)->isChecked() ? " reverse" : " normal";
    for (int k = 0; k < kLayouts; ++k)
        if (w.commands().arrangements[static_cast<std::size_t>(k)]->isChecked())
            s += " layout " + std::to_string(k);
    return s;
}

// The demo's window on a unit with three slaves in the 2x2 arrangement, listening for remote
// control on a free port.
struct RemoteWindow {
    explicit RemoteWindow(RemoteSettings settings = {}) : window(fixture.open()) {
        window.controller().setArrangement(7);
        ShowOnScreen(window);
        settings.enabled = true;
        settings.port = 0;
        StartRemoteControl(window.controller(), settings);
        fixture.takeRequests();
    }
    std::uint16_t port() const { return window.controller().remoteControl()->server().port(); }
    // Polls until the unit has nothing more to say, as the timer would.
    void settle() {
        for (int i = 0; i < 20; ++i) window.controller().pollDevice();
        QCoreApplication::processEvents();
    }
    std::vector<std::string> requests() {
        std::vector<std::string> lines;
        for (const UsbRequest& r : fixture.takeRequests())
            if (IsTraced(r)) lines.push_back(TraceLine(r));
        return lines;
    }
    // Runs the event loop until the server handled or dropped `count` messages in all.
    bool waitForMessages(std::uint64_t count) {
        const auto seen = [this] {
            const RemoteCounters& c = window.controller().remoteControl()->server().counters();
            std::uint64_t n = c.handled;
            for (std::uint64_t d : c.dropped) n += d;
            return n;
        };
        QDeadlineTimer deadline(5000);
        while (seen() < count && !deadline.hasExpired()) QCoreApplication::processEvents();
        return seen() >= count;
    }

    FormFixture fixture;
    MainWindow& window;
};

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

}  // namespace

// Each address does what the operator's own clicks do: the same requests reach the unit and the
// screen ends the same.
TEST(RemoteWindow, EachAddressGivesTheRequestsAndTheScreenOfTheClicks) {
    struct Case {
        const char* name;
        const char* address;
        const char* types;
        std::vector<double> args;
        std::function<void(MainWindow&)> click;
    };
    const Case cases[] = {
        {"route", "/corvane/route", "iii", {1, 2, 5}, [](MainWindow& w) { Click(w.grid().button(1, 4)); }},
        {"disconnect",
         "/corvane/disconnect",
         "ii",
         {1, 1},
         [](MainWindow& w) { Click(w.grid().button(4, 0)); }},
        {"recall", "/corvane/recall", "i", {3}, [](MainWindow& w) { Click(w.recallPanel()->key(2)); }},
        {"store",
         "/corvane/store",
         "ii",
         {1, 4},
         [](MainWindow& w) {
             Click(w.functionsPanel()->key(kStoreTag));
             Click(w.recallPanel()->key(3));
         }},
        {"clear",
         "/corvane/clear",
         "i",
         {1},
         [](MainWindow& w) {
             Click(w.functionsPanel()->key(kClearTag));
             Click(w.okKey());
         }},
        {"reverse",
         "/corvane/reverse",
         "i",
         {1},
         [](MainWindow& w) {
             Click(w.functionsPanel()->key(kReverseTag));
             Click(w.okKey());
         }},
        {"unit",
         "/corvane/unit",
         "i",
         {2},
         [](MainWindow& w) { QTest::mouseClick(w.unitPanel(1), Qt::LeftButton, {}, QPoint(10, 10)); }},
        {"layout",
         "/corvane/layout",
         "f",
         {2},
         [](MainWindow& w) { w.commands().arrangements[1]->trigger(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoteWindow byHand;
        c.click(byHand.window);
        byHand.settle();
        // An armed step's lamps blink until it ends; the remote has none to show.
        while (byHand.window.controller().functionKeys().step() != Step::Idle)
            byHand.window.controller().blinkTick();
        byHand.settle();

        RemoteWindow remote;
        Client client(remote.port());
        client.send(c.address, c.types, c.args);
        ASSERT_TRUE(remote.waitForMessages(1));
        remote.settle();

        EXPECT_EQ(remote.requests(), byHand.requests());
        EXPECT_EQ(Screen(remote.window), Screen(byHand.window));
        EXPECT_EQ(remote.window.controller().remoteControl()->server().counters().handled, 1u);
    }
}

// A subscriber hears what happens on a unit's own front panel, and a sender that is not allowed
// changes nothing.
TEST(RemoteWindow, FrontPanelChangesReachSubscribersAndStrangersAreIgnored) {
    RemoteSettings settings;
    settings.allowedClients = {*parseIpv4(QStringLiteral("192.0.2.7"))};
    RemoteWindow remote(settings);

    Client client(remote.port());
    client.send("/corvane/subscribe");
    ASSERT_TRUE(remote.waitForMessages(1));
    QDeadlineTimer deadline(5000);
    while (client.received.empty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        client.receive();
    }
    client.received.clear();

    remote.fixture.firmware().pressRoute(1, 2, 3);  // unit 2: line 4 onto channel 3
    remote.settle();
    const std::string expected = "/corvane/state/route 2 4 3";
    deadline = QDeadlineTimer(5000);
    const auto heard = [&] {
        return std::find(client.received.begin(), client.received.end(), expected) != client.received.end();
    };
    while (!heard() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        client.receive();
    }
    EXPECT_TRUE(heard());

    remote.requests();
    const std::string before = Screen(remote.window);
    RawSocket stranger("127.0.0.2");
    stranger.sendTo(remote.port(), osc("/corvane/route", "iii", {1, 2, 5}));
    ASSERT_TRUE(remote.waitForMessages(2));
    EXPECT_EQ(remote.window.controller().remoteControl()->server().counters().drops(RemoteDrop::NotAllowed),
              1u);
    remote.settle();
    EXPECT_EQ(remote.requests(), std::vector<std::string>{});
    EXPECT_EQ(Screen(remote.window), before);
}

namespace {

// A window with a subscriber that has taken in the whole state.
struct Subscribed : RemoteWindow {
    Subscribed() : client(port()) {
        client.send("/corvane/subscribe");
        EXPECT_TRUE(waitForMessages(1));
        EXPECT_TRUE(hear([this] { return !client.received.empty(); }));
        hear([] { return false; }, 50);  // the rest of the state
    }
    // Runs the event loop and collects the feedback until done() holds or the bound runs out.
    template <typename Done>
    bool hear(Done done, int ms = 5000) {
        QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            client.receive();
        }
        return done();
    }
    bool heard(const std::string& message) const {
        return std::find(client.received.begin(), client.received.end(), message) != client.received.end();
    }
    // Polls as the timer would, the feedback of each poll sent before the next.
    void pollAndHear(int polls = 20) {
        for (int i = 0; i < polls; ++i) {
            window.controller().pollDevice();
            QCoreApplication::processEvents();
            client.receive();
        }
        hear([] { return false; }, 50);
    }
    // The channels the subscriber was told for one line, in order.
    std::vector<int> channelsOf(const std::string& route) const {
        std::vector<int> channels;
        for (const std::string& m : client.received)
            if (m.starts_with(route + " ")) channels.push_back(std::stoi(m.substr(route.size() + 1)));
        return channels;
    }
    Client client;
};

}  // namespace

// Routes of one line faster than the unit echoes them: its late echoes of the older routes never
// set the line back, and a front panel's change of that line still shows.
TEST(RemoteWindow, LateEchoesNeverSetALineBack) {
    Subscribed remote;
    remote.client.received.clear();
    const std::vector<int> sent = {3, 4, 1, 2, 3};
    std::uint64_t messages = 1;
    for (int channel : sent) {  // all before the next poll, as 1 ms apart
        remote.client.send("/corvane/route", "iii", {1, double(channel), 5});
        ASSERT_TRUE(remote.waitForMessages(++messages));
    }
    remote.pollAndHear();
    const std::vector<int> told = remote.channelsOf("/corvane/state/route/1/5");
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), 3);
    // An ordered run out of what was sent: never back to an older channel.
    auto next = sent.begin();
    for (int channel : told) {
        next = std::find(next, sent.end(), channel);
        ASSERT_NE(next, sent.end()) << "went back to channel " << channel;
        ++next;
    }
    EXPECT_TRUE(remote.window.grid().button(2, 4)->isConnected());
    EXPECT_EQ(remote.fixture.firmware().state().LineRoute[0][kWorkMemory][4], 2);

    // Two routes on their way when someone at the rack puts the line on channel 1.
    remote.client.received.clear();
    remote.client.send("/corvane/route", "iii", {1, 2, 5});
    remote.client.send("/corvane/route", "iii", {1, 4, 5});
    ASSERT_TRUE(remote.waitForMessages(messages + 2));
    remote.fixture.firmware().pressRoute(0, 0, 4);
    remote.pollAndHear();
    const std::vector<int> last = remote.channelsOf("/corvane/state/route/1/5");
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(last.back(), 1);
    EXPECT_EQ(std::count(last.begin(), last.end(), 2), last.front() == 2 ? 1 : 0);  // never back to 2
    EXPECT_TRUE(remote.window.grid().button(0, 4)->isConnected());
}

// A flood of routes leaves the unit able to tell its front panels' changes at once: within 20
// polls (100 ms) they are on the screen and with the subscriber, during the flood and after it.
TEST(RemoteWindow, FrontPanelIsHeardDuringAndAfterAFlood) {
    Subscribed remote;
    UnitFirmware& unit = remote.fixture.firmware();
    std::size_t mostQueued = 0;
    const auto tick = [&] {
        QCoreApplication::processEvents();
        remote.window.controller().pollDevice();
        remote.client.receive();
        mostQueued = std::max(mostQueued, unit.pendingEvents());
    };
    // Unit 1's line 12 goes to `channel` on its front panel; the polls until it is shown and told.
    const auto panelChange = [&](int channel, const std::function<void()>& meanwhile) {
        remote.client.received.clear();
        unit.pressRoute(0, channel - 1, 11);
        const std::string told = "/corvane/state/route/1/12 " + std::to_string(channel);
        for (int polls = 1; polls <= 100; ++polls) {
            meanwhile();
            tick();
            if (remote.heard(told) && remote.window.grid().button(channel - 1, 11)->isConnected())
                return polls;
        }
        return -1;
    };
    int sent = 0;
    // 200,000 routes of unit 2 in 2 s: 500 between two polls.
    const auto send500 = [&] {
        for (int i = 0; i < 500 && sent < 200000; ++i, ++sent)
            remote.client.send("/corvane/route", "iii", {2, double(1 + sent % 4), double(1 + sent % 8)});
    };
    while (sent < 100000) {
        send500();
        tick();
    }
    const int during = panelChange(3, send500);
    while (sent < 200000) {
        send500();
        tick();
    }
    const int after = panelChange(2, [] {});
    EXPECT_GE(during, 1);
    EXPECT_LE(during, 20);
    EXPECT_GE(after, 1);
    EXPECT_LE(after, 20);
    EXPECT_LE(mostQueued, 16u);
    EXPECT_EQ(unit.overflows(), 0);
    EXPECT_GT(remote.window.controller().remoteControl()->server().counters().handled, 1000u);
}

// A show controller restarted on the same port subscribes again and gets the whole state again.
TEST(RemoteWindow, EverySubscribeSendsTheWholeState) {
    Subscribed remote;
    const std::size_t whole = remote.client.received.size();
    EXPECT_GT(whole, 100u);
    remote.client.received.clear();
    remote.client.send("/corvane/subscribe");
    EXPECT_TRUE(remote.hear([&] { return remote.client.received.size() >= whole; }));
    EXPECT_EQ(remote.client.received.size(), whole);
    EXPECT_EQ(remote.window.controller().remoteControl()->server().subscriberCount(), 1);
}

// A bundle whose third element is broken does nothing, not even its first two messages.
TEST(RemoteWindow, BrokenBundleDoesNothing) {
    RemoteWindow remote;
    const std::string before = Screen(remote.window);
    auto packet = bundle({osc("/corvane/route", "iii", {1, 2, 5}), osc("/corvane/recall", "i", {3})});
    packet.insert(packet.end(), {0, 0, 0, 12, '/', 'c', 'o', 'r'});  // says 12 bytes, has 4
    RawSocket sender;
    sender.sendTo(remote.port(), packet);
    ASSERT_TRUE(remote.waitForMessages(1));
    remote.settle();
    EXPECT_EQ(remote.window.controller().remoteControl()->server().counters().drops(RemoteDrop::Malformed),
              1u);
    EXPECT_EQ(remote.requests(), std::vector<std::string>{});
    EXPECT_EQ(Screen(remote.window), before);
}
