#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <random>
#include <sstream>

#include "soak/soakchecks.h"
#include "soak/soakdriver.h"
#include "view/crosspointbutton.h"
#include "view/led.h"

using namespace corvane;

namespace {

// Set from the command line: soak_test [--seed N] [--steps N] [gtest options].
std::uint64_t g_seed = 0;
long g_steps = CORVANE_SOAK_STEPS;

// The whole configuration of the window and the unit, with the window shown.
struct SoakFixture {
    explicit SoakFixture(int slaves) : files(slaves) {
        ShowOnScreen(files.open());
    }
    TCorvane_Form& form() { return *files.form; }
    FileFormFixture files;
    soak::UnitComparison unitComparison;
};

std::vector<std::string> Violations(SoakFixture& s) {
    for (const UsbRequest& r : s.files.takeRequests())
        if (r.request == static_cast<std::uint8_t>(RequestCode::ReadImage) ||
            r.request == static_cast<std::uint8_t>(RequestCode::WriteImage))
            s.unitComparison.imageTravelled();
    std::vector<std::string> found = soak::ScreenViolations(s.form());
    for (std::string& line : s.unitComparison.violations(s.form().state(), s.files.firmware().state()))
        found.push_back(std::move(line));
    // The only box a soak may raise is the question of File New.
    for (const RecordingNotifier::Message& m : s.files.notifier.messages)
        if (m.title != "File New") found.push_back("message \"" + m.title + "\": " + m.text);
    s.files.notifier.messages.clear();
    if (!s.form().TimerComandos.enabled()) found.push_back("polling stopped");
    return found;
}

}  // namespace

TEST(Soak, RandomOperatorActionsAndFrontPanelEventsKeepEverythingInStep) {
    std::printf("soak: seed %llu, %ld steps; replay with tools/run-soak --seed %llu\n",
                static_cast<unsigned long long>(g_seed), g_steps, static_cast<unsigned long long>(g_seed));
    std::fflush(stdout);
    SoakFixture s(static_cast<int>(g_seed % 4));
    soak::Driver driver(s.files, g_seed);
    ASSERT_EQ(Violations(s), std::vector<std::string>{});

    std::deque<std::string> recent;
    for (long step = 1; step <= g_steps; ++step) {
        recent.push_back(driver.step());
        if (recent.size() > 20) recent.pop_front();
        driver.pollEchoes();
        const std::vector<std::string> found = Violations(s);
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
         [](SoakFixture& s) { s.form().state().LineRoute[0][0][3] = 2; }},
        {"a route changed on the unit only",
         [](SoakFixture& s) { s.files.firmware().state().LineRoute[1][0][7] = 1; }},
        {"a stored memory changed on the unit only",
         [](SoakFixture& s) { s.files.firmware().state().ChannelRoute[2][3][1] = 9; }},
        {"a second lit button", [](SoakFixture& s) { s.form().crosspointButton(0, 5)->setConnected(true); }},
        {"a unit panel not redrawn",
         [](SoakFixture& s) {
             s.form().state().LineRoute[2][0][1] = 0;
             s.form().RefreshGrid();
         }},
        {"a memory lamp", [](SoakFixture& s) { s.form().Leds[3]->setLit(true); }},
        {"the REVERSE key", [](SoakFixture& s) { s.form().ReverseButton->setChecked(true); }},
        {"the unit status", [](SoakFixture& s) { s.form().state().SelectedUnit = 1; }},
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
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // A fresh seed for every run unless one is given to replay.
    g_seed = std::random_device{}();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0) g_seed = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--steps") == 0) g_steps = std::strtol(argv[i + 1], nullptr, 10);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
