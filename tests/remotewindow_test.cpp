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
