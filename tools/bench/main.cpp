// Measures the program on the offscreen platform and the virtual unit, beside the same measures
// of a minimal Qt Widgets program (one window, one 5 ms timer), so that every figure reads as a
// ratio against the toolkit's own floor.
//
//   corvane-bench [--idle-seconds N]     the program, then the minimal program in a child process
//   corvane-bench --baseline [...]       only the minimal program (used by the above)

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "app/mainwindow.h"
#include "virtualunit/virtualbus.h"

namespace {

QElapsedTimer g_sinceStart;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long peakRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Runs the event loop for a while and returns the share of one core the process used.
double idleCpuPercent(int seconds) {
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
    return 100.0 * (processCpuSeconds() - cpu0) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

// Microseconds per call of `step`, each followed by the event processing that paints its result.
double microsPerStep(int count, const std::function<void(int)>& step) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        step(i);
        QCoreApplication::processEvents();
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e3 / count;
}

// Reports the first paint of a widget.
class FirstPaint : public QObject {
  public:
    double ms = -1;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && ms < 0) ms = static_cast<double>(g_sinceStart.nsecsElapsed()) / 1e6;
        return QObject::eventFilter(o, e);
    }
};

void waitForPaint(const FirstPaint& paint) {
    QElapsedTimer t;
    t.start();
    while (paint.ms < 0 && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class MinimalWindow : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), palette().window()); }
};

int baseline(int idleSeconds) {
    FirstPaint paint;
    MinimalWindow window;
    window.resize(785, 570);
    window.installEventFilter(&paint);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start();
    window.show();
    waitForPaint(paint);
    const double update = microsPerStep(2000, [&](int) { window.update(); });
    const double idle = idleCpuPercent(idleSeconds);
    std::printf("startup_ms %.1f\nupdate_us %.1f\nidle_cpu_percent %.3f\npeak_rss_kib %ld\n", paint.ms,
                update, idle, peakRssKiB());
    return 0;
}

struct Figures {
    double startupMs = 0, updateUs = 0, idlePercent = 0;
    long rssKiB = 0;
};

Figures runBaselineChild(const char* self, int idleSeconds) {
    QProcess child;
    child.start(QString::fromLocal8Bit(self), {QStringLiteral("--baseline"), QStringLiteral("--idle-seconds"),
                                               QString::number(idleSeconds)});
    child.waitForFinished(idleSeconds * 1000 + 30000);
    Figures f;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> kv = line.split(' ');
        if (kv.size() != 2) continue;
        if (kv[0] == "startup_ms") f.startupMs = kv[1].toDouble();
        if (kv[0] == "update_us") f.updateUs = kv[1].toDouble();
        if (kv[0] == "idle_cpu_percent") f.idlePercent = kv[1].toDouble();
        if (kv[0] == "peak_rss_kib") f.rssKiB = kv[1].toLong();
    }
    return f;
}

int program(const char* self, int idleSeconds) {
    using namespace corvane;
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

    FirstPaint paint;
    MainWindow form(*bus, notifier, options);
    form.installEventFilter(&paint);
    form.show();
    waitForPaint(paint);

    // Each front-panel change is followed by the unsaved flags; both are one event each.
    const auto drain = [&] {
        while (fw.pendingEvents() > 0) form.controller().pollDevice();
    };
    const int sel = form.controller().state().SelectedUnit;
    const double route = microsPerStep(2000, [&](int i) {
        fw.pressRoute(sel, i % 4, i % 16);
        form.controller().pollDevice();
    });
    drain();
    const double recall = microsPerStep(500, [&](int i) {
        fw.pressRecall(i % 5);
        form.controller().pollDevice();
    });
    drain();
    const double reverse = microsPerStep(200, [&](int i) {
        fw.pressReverse(i % 2 == 0);
        form.controller().pollDevice();
    });
    drain();
    const double redraw = microsPerStep(500, [&](int) {
        Q_EMIT form.controller().gridChanged();
        for (int u = 0; u < kUnits; ++u) Q_EMIT form.controller().unitMapChanged(u);
        Q_EMIT form.controller().memoryLampsChanged();
        form.repaint();
    });
    const double eventsPerSecond = 1e6 / route;

    form.controller().setTimersRun(true);
    const double idle = idleCpuPercent(idleSeconds);
    const long rss = peakRssKiB();
    form.controller().setTimersRun(false);

    const Figures base = runBaselineChild(self, idleSeconds);
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("%-34s %12s %12s %8s\n", "measure", "program", "minimal Qt", "ratio");
    std::printf("%-34s %12.1f %12.1f %8.1f\n", "start-up to first paint (ms)", paint.ms, base.startupMs,
                ratio(paint.ms, base.startupMs));
    std::printf("%-34s %12.1f %12.1f %8.1f\n", "route change event (us)", route, base.updateUs,
                ratio(route, base.updateUs));
    std::printf("%-34s %12.1f %12.1f %8.1f\n", "memory recall event (us)", recall, base.updateUs,
                ratio(recall, base.updateUs));
    std::printf("%-34s %12.1f %12.1f %8.1f\n", "reverse switch event (us)", reverse, base.updateUs,
                ratio(reverse, base.updateUs));
    std::printf("%-34s %12.1f %12.1f %8.1f\n", "complete redraw (us)", redraw, base.updateUs,
                ratio(redraw, base.updateUs));
    std::printf("%-34s %12.3f %12.3f %8.1f\n", "idle CPU, 5 ms polling (% core)", idle, base.idlePercent,
                ratio(idle, base.idlePercent));
    std::printf("%-34s %12ld %12ld %8.1f\n", "peak resident memory (KiB)", rss, base.rssKiB,
                ratio(static_cast<double>(rss), static_cast<double>(base.rssKiB)));
    std::printf("route change events the program could absorb: %.0f per second\n", eventsPerSecond);
    std::printf("(the minimal program's event figures are one update() with its event processing)\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    g_sinceStart.start();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    bool isBaseline = false;
    int idleSeconds = 10;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--baseline") == 0) isBaseline = true;
        if (std::strcmp(argv[i], "--idle-seconds") == 0 && i + 1 < argc) idleSeconds = std::atoi(argv[++i]);
    }
    QApplication app(argc, argv);
    return isBaseline ? baseline(idleSeconds) : program(argv[0], idleSeconds);
}
