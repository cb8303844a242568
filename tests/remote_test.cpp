#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "oscclient.h"
#include "remote/remotecontrol.h"
#include "remote/remoteserver.h"

using namespace corvane;

namespace {

// Records every call as text, 0-based as the program receives it.
class RecordingControl : public RemoteControl {
  public:
    MatrixState shown{};  // what model() shows
    std::vector<std::string> calls;

    bool route(int u, int c, int l) override { return record("route", {u, c, l}); }
    bool disconnect(int u, int l) override { return record("disconnect", {u, l}); }
    bool recall(int m) override { return record("recall", {m}); }
    bool store(int u, int m) override { return record("store", {u, m}); }
    bool clear(int u) override { return record("clear", {u}); }
    bool setReverse(bool on) override { return record("reverse", {on ? 1 : 0}); }
    bool selectUnit(int u) override { return record("unit", {u}); }
    bool setArrangement(int layout) override { return record("layout", {layout}); }
    const MatrixModel& model() const override {
        m_model.replaceRecord(shown);
        return m_model;
    }

  private:
    bool record(std::string name, std::initializer_list<int> args) {
        for (int a : args) name += " " + std::to_string(a);
        calls.push_back(name);
        return true;
    }
    mutable MatrixModel m_model;
};

std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

class RemoteServerTest : public ::testing::Test {
  protected:
    RemoteServerTest() {
        static int argc = 1;
        static char name[] = "remote_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        control.shown.SlaveCount = 3;
    }
    RemoteServer& start(RemoteSettings settings = {}) {
        settings.port = 0;
        server = std::make_unique<RemoteServer>(control, settings, [this] { return now; });
        return *server;
    }
    // Runs the event loop (and collects the client's replies) until done() holds; a bound, not a pause.
    template <typename Done>
    bool waitFor(Done done, Client* client = nullptr) {
        QDeadlineTimer deadline(5000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            if (client) client->receive();
        }
        return done();
    }
    std::uint64_t dropped() const {
        std::uint64_t total = 0;
        for (std::uint64_t n : server->counters().dropped) total += n;
        return total;
    }

    RecordingControl control;
    std::int64_t now = 0;
    std::unique_ptr<RemoteServer> server;
};

}  // namespace

TEST_F(RemoteServerTest, EachAddressGivesItsOneCall) {
    struct Case {
        const char* address;
        const char* types;
        std::vector<double> args;
        const char* call;
    };
    const Case cases[] = {
        {"/corvane/route", "iii", {2, 3, 5}, "route 1 2 4"},
        {"/corvane/route", "fff", {4, 1, 16}, "route 3 0 15"},  // whole floats count as numbers
        {"/corvane/disconnect", "ii", {4, 16}, "disconnect 3 15"},
        {"/corvane/recall", "i", {3}, "recall 2"},
        {"/corvane/store", "ii", {2, 5}, "store 1 4"},
        {"/corvane/clear", "i", {1}, "clear 0"},
        {"/corvane/reverse", "i", {1}, "reverse 1"},
        {"/corvane/reverse", "f", {0}, "reverse 0"},
        {"/corvane/unit", "i", {4}, "unit 3"},
        {"/corvane/layout", "i", {8}, "layout 7"},
    };
    start();
    Client client(server->port());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        const std::size_t before = control.calls.size();
        client.send(c.address, c.types, c.args);
        ASSERT_TRUE(waitFor([&] { return control.calls.size() > before; }));
        EXPECT_EQ(control.calls.back(), c.call);
    }
    EXPECT_EQ(control.calls.size(), std::size(cases));
    EXPECT_EQ(server->counters().handled, std::size(cases));
    EXPECT_EQ(dropped(), 0u);
}

TEST_F(RemoteServerTest, BadPacketsAreDroppedAndCountedWithoutACall) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> packet;
        RemoteDrop reason;
    };
    const auto route = osc("/corvane/route", "iii", {1, 1, 1});
    auto brokenLater = bundle({route, osc("/corvane/recall", "i", {1})});
    brokenLater.insert(brokenLater.end(), {0, 0, 1, 0, 1, 2, 3, 4});  // the third says 256 bytes
    const Case cases[] = {
        {"garbage", bytes("hello world"), RemoteDrop::Malformed},
        {"empty datagram", {}, RemoteDrop::Malformed},
        {"truncated", {route.begin(), route.end() - 4}, RemoteDrop::Malformed},
        {"no type tag", bytes(std::string_view("/corvane/dump\0\0\0", 16)), RemoteDrop::Malformed},
        {"bundle element too long", bytes(std::string_view("#bundle\0\0\0\0\0\0\0\0\1\0\0\1\0", 20)),
         RemoteDrop::Malformed},
        {"bundle broken after two messages", brokenLater, RemoteDrop::Malformed},
        {"bundles nested too deep", bundle({bundle({bundle({bundle({bundle({route})})})})}),
         RemoteDrop::Malformed},
        {"unknown address", osc("/corvane/nothing"), RemoteDrop::UnknownAddress},
        {"address pattern", osc("/corvane/rout*", "iii", {1, 1, 1}), RemoteDrop::UnknownAddress},
        {"too few", osc("/corvane/route", "ii", {1, 1}), RemoteDrop::WrongCount},
        {"too many", osc("/corvane/route", "iiii", {1, 1, 1, 1}), RemoteDrop::WrongCount},
        {"dump with argument", osc("/corvane/dump", "i", {1}), RemoteDrop::WrongCount},
        {"string", osc("/corvane/route", "sii", {0, 1, 1}), RemoteDrop::WrongType},
        {"fraction", osc("/corvane/recall", "f", {1.5}), RemoteDrop::WrongType},
        {"not a number", osc("/corvane/recall", "f", {std::nan("")}), RemoteDrop::WrongType},
        {"double", osc("/corvane/recall", "d", {1}), RemoteDrop::WrongType},
        {"true", osc("/corvane/reverse", "T"), RemoteDrop::WrongType},
        {"unit 0", osc("/corvane/clear", "i", {0}), RemoteDrop::OutOfRange},
        {"unit -2147483648", osc("/corvane/route", "iii", {-2147483647 - 1, 1, 2}), RemoteDrop::OutOfRange},
        {"unit not present", osc("/corvane/unit", "i", {3}), RemoteDrop::OutOfRange},
        {"channel 5", osc("/corvane/route", "iii", {1, 5, 1}), RemoteDrop::OutOfRange},
        {"line 17", osc("/corvane/disconnect", "ii", {1, 17}), RemoteDrop::OutOfRange},
        {"memory 6", osc("/corvane/store", "ii", {1, 6}), RemoteDrop::OutOfRange},
        {"memory -1", osc("/corvane/recall", "i", {-1}), RemoteDrop::OutOfRange},
        {"reverse 2", osc("/corvane/reverse", "i", {2}), RemoteDrop::OutOfRange},
        {"layout 9", osc("/corvane/layout", "i", {9}), RemoteDrop::OutOfRange},
        {"layout 3x1 with one slave", osc("/corvane/layout", "i", {3}), RemoteDrop::OutOfRange},
        {"port 70000", osc("/corvane/subscribe", "i", {70000}), RemoteDrop::OutOfRange},
    };
    control.shown.SlaveCount = 1;
    start();
    RawSocket sender;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint64_t total = dropped();
        const std::uint64_t before = server->counters().drops(c.reason);
        sender.sendTo(server->port(), c.packet);
        ASSERT_TRUE(waitFor([&] { return dropped() > total; }));
        EXPECT_EQ(server->counters().drops(c.reason), before + 1);
        EXPECT_EQ(dropped(), total + 1);
    }
    EXPECT_TRUE(control.calls.empty());
    EXPECT_EQ(server->counters().handled, 0u);
    EXPECT_EQ(server->subscriberCount(), 0);
}

TEST_F(RemoteServerTest, BundleActsOnEachMessageUpToItsLimit) {
    start();
    RawSocket sender;
    sender.sendTo(server->port(),
                  bundle({osc("/corvane/recall", "i", {1}), bundle({osc("/corvane/clear", "i", {2})})}));
    ASSERT_TRUE(waitFor([&] { return control.calls.size() == 2; }));
    EXPECT_EQ(control.calls, (std::vector<std::string>{"recall 0", "clear 1"}));

    control.calls.clear();
    sender.sendTo(server->port(), bundle(std::vector(10, osc("/corvane/recall", "i", {5}))));
    ASSERT_TRUE(waitFor([&] { return server->counters().drops(RemoteDrop::TooMany) == 2; }));
    EXPECT_EQ(control.calls, std::vector<std::string>(OscDispatch::kMaxBundleMessages, "recall 4"));
}

TEST_F(RemoteServerTest, OnlyAllowedSendersAreHeard) {
    RemoteSettings settings;
    settings.allowedClients = {*parseIpv4(QStringLiteral("10.9.8.7"))};
    start(settings);
    RawSocket stranger("127.0.0.2");
    stranger.sendTo(server->port(), osc("/corvane/recall", "i", {1}));
    ASSERT_TRUE(waitFor([&] { return server->counters().drops(RemoteDrop::NotAllowed) == 1; }));
    RawSocket local;
    local.sendTo(server->port(), osc("/corvane/recall", "i", {2}));
    ASSERT_TRUE(waitFor([&] { return !control.calls.empty(); }));
    EXPECT_EQ(control.calls, std::vector<std::string>{"recall 1"});
    EXPECT_TRUE(server->where().endsWith(QStringLiteral("for 127.0.0.1, 10.9.8.7")));
}

TEST_F(RemoteServerTest, SecondServerOnTheSamePortIsAnError) {
    start();
    RemoteSettings same;
    same.port = server->port();
    EXPECT_THROW(RemoteServer(control, same), RemoteError);
}

TEST_F(RemoteServerTest, SubscriberReceivesTheStateThenOnlyTheChanges) {
    control.shown.SlaveCount = 0;  // one unit: 16 lines and 4 channels, each in two forms
    constexpr std::size_t kWholeState = 16 * 2 + 4 * 2 + 1 + 1 + 3 + 5;
    start();
    Client client(server->port());
    client.send("/corvane/subscribe");
    ASSERT_TRUE(waitFor([&] { return client.received.size() == kWholeState; }, &client));
    EXPECT_EQ(client.received.front(), "/corvane/state/route 1 1 1");
    EXPECT_EQ(client.received.back(), "/corvane/state/recalled/5 0");
    EXPECT_EQ(server->subscriberCount(), 1);

    struct Change {
        void (*apply)(MatrixState&);
        std::vector<std::string> messages;
    };
    const Change changes[] = {
        {[](MatrixState& s) { s.LineRoute[0][kWorkMemory][4] = 1; },
         {"/corvane/state/route 1 5 2", "/corvane/state/route/1/5 2"}},
        {[](MatrixState& s) { s.LineRoute[0][kWorkMemory][15] = kDisconnected; },
         {"/corvane/state/route 1 16 0", "/corvane/state/route/1/16 0"}},
        {[](MatrixState& s) { s.ChannelRoute[0][kWorkMemory][3] = 15; },
         {"/corvane/state/channel 1 4 16", "/corvane/state/channel/1/4 16"}},
        {[](MatrixState& s) { s.CurrentMemory[0] = 2; },
         {"/corvane/state/memory 1 3", "/corvane/state/recalled/1 0", "/corvane/state/recalled/3 1"}},
        {[](MatrixState& s) { s.UnsavedFlags[0] = 1; }, {"/corvane/state/unsaved 1 1"}},
        {[](MatrixState& s) { s.ReverseMode = 3; }, {"/corvane/state/reverse 1"}},
        {[](MatrixState& s) { s.MatrixLayout = 4; }, {"/corvane/state/layout 5"}},
        {[](MatrixState& s) {  // a new unit appears whole, and the grid shows it
             s.SlaveCount = 1;
             s.SelectedUnit = 1;
         },
         {}},
    };
    for (const Change& c : changes) {
        client.received.clear();
        c.apply(control.shown);
        server->publishChanges();
        server->publishChanges();  // nothing new: nothing sent
        if (c.messages.empty()) {
            ASSERT_TRUE(waitFor([&] { return client.received.size() == 40 + 2 + 1 + 2; }, &client));
            EXPECT_EQ(client.received.front(), "/corvane/state/route 2 1 1");
            continue;
        }
        ASSERT_TRUE(waitFor([&] { return client.received.size() >= c.messages.size(); }, &client));
        EXPECT_EQ(client.received, c.messages);
    }

    // After unsubscribing, changes no longer come; a dump still answers with the whole state.
    client.send("/corvane/unsubscribe");
    ASSERT_TRUE(waitFor([&] { return server->subscriberCount() == 0; }));
    client.received.clear();
    control.shown.CurrentMemory[0] = 4;
    server->publishChanges();
    client.send("/corvane/dump");
    constexpr std::size_t kTwoUnits = 2 * (kWholeState - 8) + 8;
    ASSERT_TRUE(waitFor([&] { return client.received.size() == kTwoUnits; }, &client));
    EXPECT_EQ(client.received.front(), "/corvane/state/route 1 1 1");
}

TEST_F(RemoteServerTest, SubscriptionsExpireWithoutRenewalAndAreLimited) {
    control.shown.SlaveCount = 0;
    start();
    RawSocket first;
    first.sendTo(server->port(), osc("/corvane/subscribe"));
    ASSERT_TRUE(waitFor([&] { return server->subscriberCount() == 1; }));
    now = 9 * 60 * 1000;
    first.sendTo(server->port(), osc("/corvane/subscribe"));  // renewal
    ASSERT_TRUE(waitFor([&] { return server->counters().handled == 2; }));
    now += RemoteServer::kSubscriptionMs - 1;
    server->publishChanges();
    EXPECT_EQ(server->subscriberCount(), 1);
    now += 1;
    server->publishChanges();
    EXPECT_EQ(server->subscriberCount(), 0);

    // Subscribing on behalf of other ports of this machine, up to the limit.
    std::vector<std::unique_ptr<RawSocket>> listeners;
    for (int i = 0; i <= RemoteServer::kMaxSubscribers; ++i) {
        listeners.push_back(std::make_unique<RawSocket>());
        first.sendTo(server->port(), osc("/corvane/subscribe", "i", {double(listeners.back()->port())}));
    }
    ASSERT_TRUE(waitFor([&] { return server->counters().drops(RemoteDrop::TooMany) == 1; }));
    EXPECT_EQ(server->subscriberCount(), RemoteServer::kMaxSubscribers);
    EXPECT_GT(listeners.front()->pending(), 0);
    EXPECT_EQ(listeners.back()->pending(), 0);
}

TEST_F(RemoteServerTest, FloodIsWorkedOffInBoundedWakeUps) {
    start();
    RawSocket sender;
    for (int i = 0; i < 100; ++i) sender.sendTo(server->port(), osc("/corvane/recall", "i", {1}));
    EXPECT_EQ(server->handlePending(), RemoteServer::kMaxPacketsPerWakeUp);
    EXPECT_EQ(control.calls.size(), std::size_t{RemoteServer::kMaxPacketsPerWakeUp});
    EXPECT_EQ(server->handlePending() + server->handlePending() + server->handlePending(), 100 - 32);
    EXPECT_EQ(server->handlePending(), 0);

    // A dump weighs as several messages.
    for (int i = 0; i < 10; ++i) sender.sendTo(server->port(), osc("/corvane/dump"));
    EXPECT_EQ(server->handlePending(), 4);
}

TEST(RemoteSettingsTest, FileGivesTheSettingsOrOffWithAReason) {
    struct Case {
        const char* ini;  // nullptr: no file
        bool enabled;
        int port;
        std::size_t clients;
        bool error;
    };
    const Case cases[] = {
        {nullptr, false, 9000, 0, false},
        {"[General]\nEnabled=true\n", true, 9000, 0, false},
        {"[General]\nEnabled=true\nPort=53000\nAllowedClients=10.0.0.5, 192.168.1.20\n", true, 53000, 2,
         false},
        {"[General]\nEnabled=yes\n", false, 9000, 0, true},
        {"[General]\nEnabled=true\nPort=0\n", false, 9000, 0, true},
        {"[General]\nEnabled=true\nPort=70000\n", false, 9000, 0, true},
        {"[General]\nEnabled=true\nPort=abc\n", false, 9000, 0, true},
        {"[General]\nEnabled=true\nAllowedClients=10.0.0.256\n", false, 9000, 0, true},
        {"[General]\nEnabled=true\nAllowedClients=10.0.0.5, desk.example\n", false, 9000, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("corvane-remote.ini"));
        if (c.ini) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.ini);
        }
        const RemoteSettings s = loadRemoteSettings(path);
        EXPECT_EQ(s.enabled, c.enabled);
        EXPECT_EQ(s.port, c.port);
        EXPECT_EQ(s.allowedClients.size(), c.clients);
        EXPECT_EQ(!s.error.isEmpty(), c.error) << s.error.toStdString();
    }
    EXPECT_TRUE(remoteSettingsPath().endsWith(QStringLiteral("/QUENDA/corvane-remote.ini")));
}
