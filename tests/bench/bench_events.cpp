// The cost of absorbing front-panel events: each iteration queues one event on the virtual unit
// and runs one tick of the polling timer on the offscreen window, then lets the window repaint.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "formfixture.h"
#include "oscclient.h"

using namespace corvane;

namespace {

// The unit records every request; forgetting them now and then keeps the memory flat.
constexpr std::int64_t kForgetEvery = 4096;

struct Bench {
    Bench() {
        f.open();
        f.window->show();
        (void)QTest::qWaitForWindowExposed(f.window.get());
        f.takeRequests();
    }
    void deliver(const DeviceEvent& event, std::int64_t i) {
        f.firmware().queueEvent(event);
        f.window->controller().pollDevice();
        QCoreApplication::processEvents();
        if (i % kForgetEvery == 0) f.unit->clearRequests();
    }
    FormFixture f;
};

template <typename MakeEventFn>
void Run(benchmark::State& state, MakeEventFn make) {
    Bench b;
    std::int64_t i = 0;
    for (auto _ : state) {
        b.deliver(make(i), i);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["us/event"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                    benchmark::Counter::kIs1000);
}

// A route of the selected unit that differs from the last one, so the grid changes every time.
void BM_RouteChange(benchmark::State& state) {
    Run(state, [](std::int64_t i) {
        return MakeEvent(EventCode::RouteChanged, static_cast<std::uint8_t>(i % kLines),
                         static_cast<std::uint8_t>(UnitRow(0, static_cast<int>(i / kLines % 5))));
    });
}

void BM_RouteChangeOtherUnit(benchmark::State& state) {
    Run(state, [](std::int64_t i) {
        return MakeEvent(
            EventCode::RouteChanged, static_cast<std::uint8_t>(i % kLines),
            static_cast<std::uint8_t>(UnitRow(1 + static_cast<int>(i % 3), static_cast<int>(i % 5))));
    });
}

void BM_MemoryRecall(benchmark::State& state) {
    Run(state, [](std::int64_t i) {
        return MakeEvent(EventCode::MemoryRecalled, 0, static_cast<std::uint8_t>(i % kMemories));
    });
}

// Every switch re-lays the grid and answers with SetReverse.
void BM_ReverseSwitch(benchmark::State& state) {
    Run(state, [](std::int64_t i) {
        return MakeEvent(EventCode::ReverseChanged, static_cast<std::uint8_t>(i % 2));
    });
}

// A stream as busy panels would send it: mostly routes, their unsaved flags, some recalls.
void BM_MixedStream(benchmark::State& state) {
    Run(state, [](std::int64_t i) {
        switch (i % 8) {
            case 7:
                return MakeEvent(EventCode::MemoryRecalled, 0, static_cast<std::uint8_t>(i % kMemories));
            case 1:
            case 4:
                return MakeEvent(EventCode::UnsavedChanged, static_cast<std::uint8_t>(i & 0x0F));
            default:
                return MakeEvent(
                    EventCode::RouteChanged, static_cast<std::uint8_t>(i % kLines),
                    static_cast<std::uint8_t>(UnitRow(static_cast<int>(i % 4), static_cast<int>(i % 5))));
        }
    });
}

// A tick that finds no event: the price of polling every 5 ms.
void BM_EmptyPoll(benchmark::State& state) {
    Bench b;
    std::int64_t i = 0;
    for (auto _ : state) {
        b.f.window->controller().pollDevice();
        if (++i % kForgetEvery == 0) b.f.unit->clearRequests();
    }
    state.SetItemsProcessed(state.iterations());
}

// Starts the remote control on a free port and returns the port.
std::uint16_t ListenForRemote(Bench& b) {
    RemoteSettings settings;
    settings.enabled = true;
    settings.port = 0;
    StartRemoteControl(b.f.window->controller(), settings);
    return b.f.window->controller().remoteControl()->server().port();
}

// A route from a show controller over OSC: from the packet leaving its socket to the SetRoute the
// unit receives and, with `paint`, on to the grid painted.
void RemoteRoute(benchmark::State& state, bool paint) {
    Bench b;
    Client client(ListenForRemote(b));
    std::int64_t i = 0;
    for (auto _ : state) {
        const long before = b.f.unit->answeredRequests();
        const double line = static_cast<double>(1 + i % kLines);
        const double channel = static_cast<double>(1 + i / kLines % kChannels);
        client.send("/corvane/route", "iii", {1, channel, line});
        while (b.f.unit->answeredRequests() == before) QCoreApplication::processEvents();
        if (paint) QCoreApplication::processEvents();
        if (++i % kForgetEvery == 0) b.f.unit->clearRequests();
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_RemotePacketToRequest(benchmark::State& state) {
    RemoteRoute(state, false);
}
void BM_RemotePacketToPaint(benchmark::State& state) {
    RemoteRoute(state, true);
}

// Routes of one line from a show controller 5 ms apart (channels 3 4 1 2, over and over), with the
// program polling on its real 5 ms timer: for each route, the time until a subscriber is told that
// route or a later one of the line, and how often it was told an older channel than it already had.
void BM_RemoteRouteFeedback(benchmark::State& state) {
    constexpr int kRoutes = 1000;
    constexpr std::int64_t kSpacingNs = 5'000'000;
    const int channels[] = {3, 4, 1, 2};
    for (auto _ : state) {
        Bench b;
        Client client(ListenForRemote(b));
        client.send("/corvane/subscribe");
        b.f.window->controller().setTimersRun(true);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 200) {
            QCoreApplication::processEvents();
            client.receive();
        }
        client.received.clear();
        std::vector<std::int64_t> sentAt;
        std::vector<std::int64_t> latency(kRoutes, -1);
        std::size_t seen = 0;
        std::size_t resolved = 0;  // routes before this one were told
        int lastTold = 0;
        int backwards = 0;
        const std::int64_t start = clock.nsecsElapsed();
        while (resolved < kRoutes && clock.nsecsElapsed() - start < 10'000'000'000) {
            const std::int64_t now = clock.nsecsElapsed();
            if (sentAt.size() < kRoutes &&
                now - start >= static_cast<std::int64_t>(sentAt.size()) * kSpacingNs) {
                sentAt.push_back(now);
                client.send("/corvane/route", "iii", {1, double(channels[(sentAt.size() - 1) % 4]), 5});
            }
            QCoreApplication::processEvents();
            client.receive();
            for (; seen < client.received.size(); ++seen) {
                const std::string& m = client.received[seen];
                if (!m.starts_with("/corvane/state/route/1/5 ")) continue;
                const int told = std::stoi(m.substr(25));
                // The newest route of that channel sent so far is the one told.
                std::size_t route = sentAt.size();
                while (route > 0 && channels[(route - 1) % 4] != told) --route;
                if (route == 0 || route <= resolved) {
                    backwards += told != lastTold ? 1 : 0;
                } else {
                    for (; resolved < route; ++resolved) latency[resolved] = now - sentAt[resolved];
                }
                lastTold = told;
            }
        }
        b.f.window->controller().setTimersRun(false);
        std::sort(latency.begin(), latency.end());
        state.counters["median_ms"] = static_cast<double>(latency[kRoutes / 2]) / 1e6;
        state.counters["p99_ms"] = static_cast<double>(latency[kRoutes * 99 / 100]) / 1e6;
        state.counters["untold"] = static_cast<double>(std::count(latency.begin(), latency.end(), -1));
        state.counters["backwards"] = backwards;
    }
}

BENCHMARK(BM_RouteChange);
BENCHMARK(BM_RouteChangeOtherUnit);
BENCHMARK(BM_MemoryRecall);
BENCHMARK(BM_ReverseSwitch);
BENCHMARK(BM_MixedStream);
BENCHMARK(BM_EmptyPoll);
BENCHMARK(BM_RemotePacketToRequest);
BENCHMARK(BM_RemotePacketToPaint);
BENCHMARK(BM_RemoteRouteFeedback)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // The offscreen platform's remarks about window hints would drown the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type >= QtCriticalMsg) fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
