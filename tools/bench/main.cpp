// Measures the program as whole processes against the floor (corvane-bench-floor, the least a Qt
// Widgets program with the same window does): both start as child processes on the offscreen
// platform with a fresh home and XDG folders, in pairs floor, demo, floor, demo, ... so that both
// see the same load, and every figure is the median of the per-pair ratios.
//
//   corvane-bench [--pairs N] [--idle-pairs N] [--idle-seconds S] [--no-redraw] [--demo PATH]...
//
// --demo measures other builds of corvane-demo (an older one beside this one, say) against the
// same floor, their runs interleaved so that all of them see the same load.
// A start-up run of the demo is the whole life the table means: start, first paint, first
// poll, the unit gone (--unplug-after 0), settings saved, exit. The floor quits after its first
// paint. Idle runs poll for S seconds before the same end; the idle cost is their CPU time from 2 s
// after the start to 1 s before the end, per second, as the scheduler counts it for each thread,
// so that no part of the start-up or the exit is in it. The redraw figures are taken in this
// process, on the demo's window.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/mainwindow.h"
#include "model/layouts.h"
#include "view/applicationstyle.h"
#include "virtualunit/virtualbus.h"

namespace {

struct Run {
    double wallMs = 0;
    double rssMiB = 0;
    double windowCpuPercent = 0;  // CPU per second within the sampling window, if one was asked for
};

// A stretch of a child's life, in seconds from its start, over which its CPU time is sampled.
struct Window {
    double from = 0, to = 0;
};

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void SleepUntil(double when) {
    const double left = when - Now();
    if (left <= 0) return;
    timespec t{};
    t.tv_sec = static_cast<time_t>(left);
    t.tv_nsec = static_cast<long>((left - static_cast<double>(t.tv_sec)) * 1e9);
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

// The CPU time of every thread of a running process so far, in seconds: the scheduler's count in
// nanoseconds, the first field of each thread's schedstat.
double ThreadsCpuSeconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream stat(task.path() / "schedstat");
        unsigned long long nanoseconds = 0;
        if (stat >> nanoseconds) total += static_cast<double>(nanoseconds) / 1e9;
    }
    return total;
}

std::string Folder(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

// Runs one child to its end, from fork to exit, with a home and XDG folders of its own.
Run Spawn(const std::vector<std::string>& argv, Window window = {}) {
    char pattern[] = "/tmp/corvane-bench-XXXXXX";
    const std::string home = mkdtemp(pattern);
    std::vector<std::string> env = {
        "HOME=" + home,
        "XDG_DATA_HOME=" + home + "/data",
        "XDG_CONFIG_HOME=" + home + "/config",
        "XDG_CACHE_HOME=" + home + "/cache",
        "XDG_RUNTIME_DIR=" + home,
        "QT_QPA_PLATFORM=offscreen",
        "PATH=/usr/bin:/bin",
        "LANG=C.UTF-8",
    };
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);

    const double start = Now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("corvane-bench: fork");
        std::exit(1);
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    Run run;
    if (window.to > window.from) {
        SleepUntil(start + window.from);
        const double cpu = ThreadsCpuSeconds(pid), from = Now();
        SleepUntil(start + window.to);
        run.windowCpuPercent = 100.0 * (ThreadsCpuSeconds(pid) - cpu) / (Now() - from);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wallMs = (Now() - start) * 1e3;
    run.rssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::filesystem::remove_all(home);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "corvane-bench: %s ended with status %d\n", argv[0].c_str(), status);
        std::exit(1);
    }
    return run;
}

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const auto low = static_cast<std::size_t>(at);
    const std::size_t high = std::min(low + 1, v.size() - 1);
    return v[low] + (v[high] - v[low]) * (at - static_cast<double>(low));
}

// One row of the table: the medians of both programs and of the per-pair ratios, with the
// quartiles of the ratios to show how noisy the runs were.
struct Row {
    std::vector<double> program, floor;
    void add(double p, double f) {
        program.push_back(p);
        floor.push_back(f);
    }
    void print(const char* measure, const char* unit, int decimals, const char* goal) const {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < program.size(); ++i)
            if (floor[i] > 0) ratios.push_back(program[i] / floor[i]);
        std::printf("| %s | %.*f %s | %.*f %s | %.2fx (%.2f-%.2f) | %s |\n", measure, decimals,
                    Quantile(program, 0.5), unit, decimals, Quantile(floor, 0.5), unit, Quantile(ratios, 0.5),
                    Quantile(ratios, 0.25), Quantile(ratios, 0.75), goal);
    }
};

// One build of the demo and its pairs with the floor.
struct Subject {
    explicit Subject(std::string demo) : path(std::move(demo)) {}
    std::string path;
    Row wall, rss, panelWall, panelRss, idle;
};

// Microseconds per call of `step`, each followed by the event processing that paints its result.
double MicrosPerStep(int count, const std::function<void(int)>& step) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        step(i);
        QCoreApplication::processEvents();
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e3 / count;
}

// The event and redraw figures of the demo's window, in this process.
void MeasureRedraw(int argc, char** argv) {
    using namespace corvane;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    QApplication::setStyle(new ApplicationStyle);  // as the program starts
    std::shared_ptr<DeviceModel> unit;
    auto bus = VirtualBus::WithUnit(3, &unit);
    UnitFirmware& fw = *unit->firmware();
    struct : Notifier {
        void showMessage(const std::string&, const std::string& text, MessageIcon) override {
            std::fprintf(stderr, "message: %s\n", text.c_str());
        }
        bool confirm(const std::string&, const std::string&, MessageIcon) override { return true; }
    } notifier;
    QTemporaryDir settings;
    WindowOptions options = WindowOptions::Defaults();
    options.commonDataFolder = settings.path().toStdString();
    options.timersRun = false;
    MainWindow window(*bus, notifier, options);
    // The 2x2 arrangement, so that the complete redraw paints all four unit panels.
    window.controller().setArrangement(Layout2x2);
    window.show();
    QCoreApplication::processEvents();

    // Each front-panel change is followed by the unsaved flags; both are one event each.
    const auto drain = [&] {
        while (fw.pendingEvents() > 0) window.controller().pollDevice();
    };
    const int sel = window.controller().model().selectedUnit();
    const double route = MicrosPerStep(2000, [&](int i) {
        fw.pressRoute(sel, i % 4, i % 16);
        window.controller().pollDevice();
    });
    drain();
    const double recall = MicrosPerStep(500, [&](int i) {
        fw.pressRecall(i % 5);
        window.controller().pollDevice();
    });
    drain();
    const double reverse = MicrosPerStep(200, [&](int i) {
        fw.pressReverse(i % 2 == 0);
        window.controller().pollDevice();
    });
    drain();
    const double redraw = MicrosPerStep(500, [&](int) {
        Q_EMIT window.controller().gridChanged();
        for (int u = 0; u < kUnits; ++u) Q_EMIT window.controller().unitMapChanged(u);
        Q_EMIT window.controller().memoryLampsChanged();
        window.repaint();
    });
    const double idlePoll = MicrosPerStep(5000, [&](int) { window.controller().pollDevice(); });
    std::printf("\n| in the demo's window | time |\n|---|---|\n");
    std::printf("| route change from a front panel, handled and painted | %.0f us |\n", route);
    std::printf("| memory recall from a front panel | %.2f ms |\n", recall / 1e3);
    std::printf("| reverse switch from a front panel (re-layout) | %.2f ms |\n", reverse / 1e3);
    std::printf("| complete redraw (grid, four unit panels, indicators) | %.2f ms |\n", redraw / 1e3);
    std::printf("| poll that finds no event | %.1f us |\n", idlePoll);
}

void LoadAverage(const char* when) {
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

}  // namespace

int main(int argc, char** argv) {
    int pairs = 30, idlePairs = 3, idleSeconds = 30;
    bool redraw = true;
    std::vector<Subject> demos;
    for (int i = 1; i < argc; ++i) {
        const auto number = [&](int& value, int least) {
            if (i + 1 < argc) value = std::max(least, std::atoi(argv[++i]));
        };
        if (std::strcmp(argv[i], "--pairs") == 0)
            number(pairs, 1);
        else if (std::strcmp(argv[i], "--idle-pairs") == 0)
            number(idlePairs, 0);  // none: start-up figures only
        else if (std::strcmp(argv[i], "--idle-seconds") == 0)
            number(idleSeconds, 4);  // the sampling leaves out the first 2 s and the last
        else if (std::strcmp(argv[i], "--no-redraw") == 0)
            redraw = false;
        else if (std::strcmp(argv[i], "--demo") == 0 && i + 1 < argc)
            demos.emplace_back(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: corvane-bench [--pairs N] [--idle-pairs N] [--idle-seconds S] [--no-redraw] "
                         "[--demo PATH]...\n");
            return 2;
        }
    }
    const std::string folder = Folder(std::filesystem::canonical("/proc/self/exe").string());
    if (demos.empty()) demos.emplace_back(folder + "/corvane-demo");
    const std::string floor = folder + "/corvane-bench-floor";
    const std::string idleMs = std::to_string(idleSeconds * 1000);

    LoadAverage("before");
    for (int i = 0; i < pairs; ++i)
        for (Subject& d : demos) {
            const Run f = Spawn({floor});
            const Run alone = Spawn({d.path, "--no-panel", "--unplug-after", "0"});
            const Run f2 = Spawn({floor});
            const Run panel = Spawn({d.path, "--unplug-after", "0"});
            d.wall.add(alone.wallMs, f.wallMs);
            d.rss.add(alone.rssMiB, f.rssMiB);
            d.panelWall.add(panel.wallMs, f2.wallMs);
            d.panelRss.add(panel.rssMiB, f2.rssMiB);
        }
    // The floor's idle run ends by its timer rather than after its paint.
    const Window polling{2, static_cast<double>(idleSeconds) - 1};
    for (int i = 0; i < idlePairs; ++i)
        for (Subject& d : demos) {
            const Run f = Spawn({floor, idleMs}, polling);
            const Run idle = Spawn({d.path, "--no-panel", "--unplug-after", idleMs}, polling);
            d.idle.add(idle.windowCpuPercent, f.windowCpuPercent);
        }
    LoadAverage("after");

    for (const Subject& d : demos) {
        std::printf(
            "\n%s: %d pairs (%d idle pairs of %d s); ratio: median of the per-pair ratios (quartiles)\n\n",
            d.path.c_str(), pairs, idlePairs, idleSeconds);
        std::printf("| measure | corvane-demo | floor | ratio | goal |\n|---|---|---|---|---|\n");
        d.wall.print("start-up to exit, wall (`--no-panel`)", "ms", 1, "<= 1.3x");
        d.rss.print("peak resident memory (`--no-panel`)", "MiB", 1, "<= 1.1x");
        const std::string idleMeasure =
            "idle polling, CPU per second, net of start-up (" + std::to_string(idleSeconds) + " s)";
        if (idlePairs > 0) d.idle.print(idleMeasure.c_str(), "%", 2, "<= 1.15x");
        d.panelWall.print("start-up with the front-panel window", "ms", 1, "<= 1.6x");
        d.panelRss.print("peak resident memory with the front-panel window", "MiB", 1, "");
    }
    std::fflush(stdout);
    if (redraw) MeasureRedraw(argc, argv);
    return 0;
}
