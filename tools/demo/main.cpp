#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/corvane.h"
#include "app/runprogram.h"
#include "virtualunit/panelscript.h"
#include "virtualunit/virtualbus.h"
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
    "  --script FILE   play FILE on the virtual unit while the demo runs: timed front-panel\n"
    "                  actions and raw events, one per line, \"<when> <action> [arguments]\":\n"
    "                    <when>  500ms (after the start) or @120 (after 120 transfers)\n"
    "                    route UNIT CHANNEL LINE   (\"off\" for no channel / no line)\n"
    "                    recall MEMORY | store UNIT MEMORY | clear UNIT | reverse on|off\n"
    "                    image     a wholesale change, reported as ImageChanged\n"
    "                    event B0 [B1 ... B7]      a raw event, bytes in hex\n"
    "                    unplug    the unit leaves the bus\n"
    "                  numbers count from 1, as the operator counts; # starts a comment\n"
    "  --unplug-after MS\n"
    "                  unplug the unit MS milliseconds after the start\n"
    "  --help          show this text\n";

struct DemoOptions {
    int slaves = 3;
    std::string trace;
    bool panel = true;
    int layout = -1;  // -1: as the settings say
    bool reverse = false;
    std::string script;
    long unplugAfterMs = -1;
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
        } else if (std::strcmp(a, "--script") == 0 && hasValue) {
            o.script = argv[++i];
        } else if (std::strcmp(a, "--unplug-after") == 0 && hasValue) {
            char* end = nullptr;
            o.unplugAfterMs = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || o.unplugAfterMs < 0) usageError("--unplug-after takes milliseconds");
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
    corvane::PanelScript script;
    try {
        std::string text;
        if (!options.script.empty()) {
            std::ifstream in(options.script, std::ios::binary);
            if (!in) throw std::runtime_error("cannot read " + options.script);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            text += '\n';
        }
        if (options.unplugAfterMs >= 0) text += std::to_string(options.unplugAfterMs) + "ms unplug\n";
        script = corvane::PanelScript::Parse(text);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvane-demo: %s%s%s\n", options.script.c_str(),
                     options.script.empty() ? "" : ": ", e.what());
        return 2;
    }

    std::unique_ptr<corvane::FrontPanel> panel;
    QElapsedTimer sinceStart;
    sinceStart.start();
    return corvane::RunProgram(argc, argv, *bus, [&](corvane::TCorvane_Form& form) {
        if (options.layout >= 0) {
            form.state().MatrixLayout = static_cast<std::uint8_t>(options.layout);
            form.RefreshLayoutMenu();
            form.ApplyLayout();
        }
        if (!script.finished()) {
            // The unit's panels act while the program runs, between its polls.
            auto* player = new QTimer(&form);
            QObject::connect(player, &QTimer::timeout, &form, [&script, &sinceStart, unit, player] {
                script.advance(sinceStart.elapsed(), unit->answeredRequests(), *unit);
                if (script.finished()) player->stop();
            });
            player->start(2);
        }
        if (!options.panel) return;
        panel = std::make_unique<corvane::FrontPanel>(unit);
        panel->showBeside(form);
        // The panels go with the main window, while the application still exists.
        QObject::connect(&form, &QObject::destroyed, [&panel] { panel.reset(); });
    });
}
