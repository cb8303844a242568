#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/corvane.h"
#include "app/runprogram.h"
#include "device/virtualbus.h"
#include "tools/demo/frontpanel.h"

namespace {

constexpr char kHelp[] =
    "Usage: corvane-demo [options]\n"
    "Runs the CORVANE control program on a virtual matrix unit, for trying it without hardware.\n"
    "\n"
    "Options:\n"
    "  --slaves N      number of slave units behind the master, 0..3 (default 3)\n"
    "  --trace FILE    append one line per request the unit receives to FILE:\n"
    "                  request type, request, value, index in hex, the length in decimal and,\n"
    "                  for host-to-device transfers, the data bytes in hex (polls that found\n"
    "                  no event are left out), e.g. \"c0 04 0021 0005 8\"\n"
    "  --no-panel      do not show the window of the units' front panels\n"
    "  --layout N      start in arrangement N, 0..7 (1x1, 2x1, 3x1, 4x1, 1x2, 1x3, 1x4, 2x2),\n"
    "                  if the slaves allow it, as if the settings had saved it\n"
    "  --reverse-routing\n"
    "                  start the units in reverse routing: every channel chooses a line\n"
    "  --help          show this text\n";

struct DemoOptions {
    int slaves = 3;
    std::string trace;
    bool panel = true;
    int layout = -1;  // -1: as the settings say
    bool reverse = false;
};

[[noreturn]] void usageError(const char* what) {
    std::fprintf(stderr, "corvane-demo: %s\n\n%s", what, kHelp);
    std::exit(2);
}

DemoOptions parse(int argc, char** argv) {
    DemoOptions o;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kHelp, stdout);
            std::exit(0);
        } else if (std::strcmp(a, "--slaves") == 0 && hasValue) {
            const char* v = argv[++i];
            if (std::strlen(v) != 1 || v[0] < '0' || v[0] > '3')
                usageError("--slaves takes a number from 0 to 3");
            o.slaves = v[0] - '0';
        } else if (std::strcmp(a, "--no-panel") == 0) {
            o.panel = false;
        } else if (std::strcmp(a, "--layout") == 0 && hasValue) {
            const char* v = argv[++i];
            if (std::strlen(v) != 1 || v[0] < '0' || v[0] > '7')
                usageError("--layout takes a number from 0 to 7");
            o.layout = v[0] - '0';
        } else if (std::strcmp(a, "--reverse-routing") == 0) {
            o.reverse = true;
        } else if (std::strcmp(a, "--trace") == 0 && hasValue) {
            o.trace = argv[++i];
        } else {
            usageError((std::string("unknown option or missing value: ") + a).c_str());
        }
    }
    return o;
}

// Something to look at: every unit and memory routed a little differently.
void fillDemoRoutes(corvane::MatrixState& s) {
    for (int u = 0; u < corvane::kUnits; ++u)
        for (int slot = 0; slot < corvane::kSlots; ++slot) {
            for (int l = 0; l < corvane::kLines; ++l) s.LineRoute[u][slot][l] = (l + u + slot) % 5;
            for (int c = 0; c < corvane::kChannels; ++c) s.ChannelRoute[u][slot][c] = (4 * c + u + slot) % 17;
        }
}

}  // namespace

int main(int argc, char** argv) {
    const DemoOptions options = parse(argc, argv);

    std::shared_ptr<corvane::DeviceModel> unit;
    auto bus = corvane::VirtualBus::WithUnit(options.slaves, &unit);
    fillDemoRoutes(unit->firmware()->state());
    unit->firmware()->state().ReverseMode = options.reverse ? 1 : 0;

    std::unique_ptr<QFile> trace;
    if (!options.trace.empty()) {
        trace = std::make_unique<QFile>(QString::fromLocal8Bit(options.trace.c_str()));
        if (!trace->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "corvane-demo: cannot open %s for writing\n", options.trace.c_str());
            return 2;
        }
        unit->addObserver([&trace](const corvane::UsbRequest& request) {
            if (!corvane::IsTraced(request)) return;
            trace->write((corvane::TraceLine(request) + '\n').c_str());
            trace->flush();
        });
    }
    std::unique_ptr<corvane::FrontPanel> panel;
    return corvane::RunProgram(argc, argv, *bus, [&](corvane::TCorvane_Form& form) {
        if (options.layout >= 0) {
            form.state().MatrixLayout = static_cast<std::uint8_t>(options.layout);
            form.RefreshLayoutMenu();
            form.ApplyLayout();
        }
        if (!options.panel) return;
        panel = std::make_unique<corvane::FrontPanel>(unit);
        // Beside the main window once that has its place on the screen.
        QTimer::singleShot(0, panel.get(), [&panel, &form] {
            panel->move(form.frameGeometry().topRight() + QPoint(8, 0));
            panel->show();
        });
    });
}
