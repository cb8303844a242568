#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <QCryptographicHash>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include "soak/soakchecks.h"
#include "soak/soakdriver.h"
#include "view/crosspointbutton.h"
#include "view/led.h"

using namespace corvane;

namespace {

// Set from the command line: soak_test [--seed N] [--steps N] [--trace FILE] [gtest options].
std::uint64_t g_seed = 0;
long g_steps = CORVANE_SOAK_STEPS;
std::string g_tracePath;

// With --trace, every request the unit received and a checksum of each matrix file the step
// wrote, so that two builds can be compared run for run.
class Trace {
  public:
    explicit Trace(const std::string& path) {
        if (!path.empty()) m_out.open(path, std::ios::trunc);
    }
    void step(long step, const std::vector<UsbRequest>& requests, const FileFormFixture& files) {
        if (!m_out.is_open()) return;
        m_out << "step " << step << '\n';
        for (const UsbRequest& r : requests)
            if (IsTraced(r)) m_out << TraceLine(r) << '\n';
        for (const char* name : {"a.cvm", "b.cvm", "c.cvm"}) {
            QFile file(QString::fromStdString(files.path(name)));
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QByteArray sum = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
            std::string& last = m_sums[name];
            if (last == sum.toStdString()) continue;
            last = sum.toStdString();
            m_out << "file " << name << ' ' << last << '\n';
        }
    }

  private:
    std::ofstream m_out;
    std::map<std::string, std::string> m_sums;
};

// The whole configuration of the window and the unit, with the window shown.
struct SoakFixture {
    explicit SoakFixture(int slaves) : files(slaves) { ShowOnScreen(files.open()); }
    MainWindow& window() { return *files.window; }
    FileFormFixture files;
    soak::UnitComparison unitComparison;
};

std::vector<std::string> Violations(SoakFixture& s, Trace* trace = nullptr, long step = 0) {
    const std::vector<UsbRequest> requests = s.files.takeRequests();
    if (trace) trace->step(step, requests, s.files);
    for (const UsbRequest& r : requests)
        if (r.request == static_cast<std::uint8_t>(RequestCode::ReadImage) ||
            r.request == static_cast<std::uint8_t>(RequestCode::WriteImage))
            s.unitComparison.imageTravelled();
    std::vector<std::string> found = soak::ScreenViolations(s.window());
    for (std::string& line :
         s.unitComparison.violations(s.window().controller().state(), s.files.firmware().state()))
        found.push_back(std::move(line));
    // The only box a soak may raise is the question of File New.
    for (const RecordingNotifier::Message& m : s.files.notifier.messages)
        if (m.title != "File New") found.push_back("message \"" + m.title + "\": " + m.text);
    s.files.notifier.messages.clear();
    if (!s.window().controller().polling()) found.push_back("polling stopped");
    return found;
}

}  // namespace

TEST(Soak, RandomOperatorActionsAndFrontPanelEventsKeepEverythingInStep) {
    std::printf("soak: seed %llu, %ld steps; replay with tools/run-soak --seed %llu\n",
                static_cast<unsigned long long>(g_seed), g_steps, static_cast<unsigned long long>(g_seed));
    std::fflush(stdout);
    SoakFixture s(static_cast<int>(g_seed % 4));
    soak::Driver driver(s.files, g_seed);
    Trace trace(g_tracePath);
    ASSERT_EQ(Violations(s, &trace, 0), std::vector<std::string>{});

    std::deque<std::string> recent;
    for (long step = 1; step <= g_steps; ++step) {
        recent.push_back(driver.step());
        if (recent.size() > 20) recent.pop_front();
        driver.pollEchoes();
        const std::vector<std::string> found = Violations(s, &trace, step);
        if (found.empty()) continue;
        std::ostringstream report;
        report << "seed " << g_seed << " failed at step " << step << " (" << s.files.firmware().slaveCount()
               << " slaves)\nlast steps:\n";
        for (const std::string& line : recent) report << "  " << line << '\n';
        report << "violations:\n";
        for (const std::string& line : found) report << "  " << line << '\n';
        report << "replay: tools/run-soak --seed " << g_seed << " --steps " << step << '\n';
        FAIL() << report.str();
    }
}

// Each fault is planted behind the window's back; the checks must see it.
TEST(SoakChecks, SeePlantedFaults) {
    struct Plant {
        const char* what;
        std::function<void(SoakFixture&)> plant;
    };
    const Plant plants[] = {
        {"a route changed in the model only",
         [](SoakFixture& s) {
             EditState(s.window().controller(), [&](corvane::MatrixState& r) { r.LineRoute[0][0][3] = 2; });
         }},
        {"a route changed on the unit only",
         [](SoakFixture& s) { s.files.firmware().state().LineRoute[1][0][7] = 1; }},
        {"a stored memory changed on the unit only",
         [](SoakFixture& s) { s.files.firmware().state().ChannelRoute[2][3][1] = 9; }},
        {"a second lit button", [](SoakFixture& s) { s.window().grid().button(0, 5)->setConnected(true); }},
        {"a unit panel not redrawn",
         [](SoakFixture& s) {
             EditState(s.window().controller(), [&](corvane::MatrixState& r) { r.LineRoute[2][0][1] = 0; });
             Q_EMIT s.window().controller().gridChanged();
         }},
        {"a memory lamp", [](SoakFixture& s) { s.window().recallPanel()->lamp(2)->setLit(true); }},
        {"the REVERSE key",
         [](SoakFixture& s) { s.window().functionsPanel()->key(kReverseTag)->setChecked(true); }},
        {"the unit status",
         [](SoakFixture& s) {
             EditState(s.window().controller(), [&](corvane::MatrixState& r) { r.SelectedUnit = 1; });
         }},
        {"a message box", [](SoakFixture& s) { s.files.notifier.showMessage("CORVANE", "USB error", {}); }},
    };
    for (const Plant& p : plants) {
        SCOPED_TRACE(p.what);
        SoakFixture s(3);
        ASSERT_EQ(Violations(s), std::vector<std::string>{});
        p.plant(s);
        EXPECT_FALSE(Violations(s).empty());
    }
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // A fresh seed for every run unless one is given to replay.
    g_seed = std::random_device{}();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0) g_seed = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--steps") == 0) g_steps = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--trace") == 0) g_tracePath = argv[i + 1];
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
