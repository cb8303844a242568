#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/mainwindow.h"
#include "app/runprogram.h"
#include "model/layouts.h"
#include "remote/remotesettings.h"
#include "tools/demo/frontpanel.h"
#include "virtualunit/panelscript.h"
#include "virtualunit/virtualbus.h"

namespace {

// The script format, shown after the options by --help.
constexpr char kScriptHelp[] =
    "A script (--script FILE) holds timed front-panel actions and raw events, one per line,\n"
    "\"<when> <action> [arguments]\":\n"
    "  <when>  500ms (after the start) or @120 (after 120 transfers)\n"
    "  route UNIT CHANNEL LINE   (\"off\" for no channel / no line)\n"
    "  recall MEMORY | store UNIT MEMORY | clear UNIT | reverse on|off\n"
    "  image     a wholesale change, reported as ImageChanged\n"
    "  event B0 [B1 ... B7]      a raw event, bytes in hex\n"
    "  unplug    the unit leaves the bus\n"
    "Numbers count from 1, as the operator counts; # starts a comment.\n";

struct DemoOptions {
    int slaves = 3;
    std::string trace;
    bool panel = true;
    int layout = -1;  // -1: as the settings say
    bool reverse = false;
    std::string script;
    long unplugAfterMs = -1;
    int remotePort = -1;  // -1: no remote control
};

// A whole number from `first` to `last`, or nothing.
std::optional<long> NumberIn(const QString& text, long first, long last) {
    bool ok = false;
    const long value = text.toLong(&ok);
    if (!ok || value < first || value > last) return std::nullopt;
    return value;
}

// Reads the options before the program makes its application, so that --help and mistakes are
// answered before any window system is needed. Ends the process on --help or a mistake.
DemoOptions Parse(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs the CORVANE control program on a virtual matrix unit, for trying it without hardware."));
    const QCommandLineOption slaves(
        QStringLiteral("slaves"),
        QStringLiteral("Number of slave units behind the master, 0..3 (default 3)."), QStringLiteral("N"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append one line per request the unit receives to FILE: request type, request, "
                       "value, index in hex, the length in decimal and, for host-to-device transfers, the "
                       "data bytes in hex (polls that found no event are left out), e.g. \"c0 04 0021 0005 "
                       "8\"."),
        QStringLiteral("FILE"));
    const QCommandLineOption noPanel(QStringLiteral("no-panel"),
                                     QStringLiteral("Do not show the window of the units' front panels."));
    const QCommandLineOption layout(
        QStringLiteral("layout"),
        QStringLiteral("Start in arrangement N, 0..7 (1x1, 2x1, 3x1, 4x1, 1x2, 1x3, 1x4, 2x2), if the slaves "
                       "allow it, as if the settings had saved it."),
        QStringLiteral("N"));
    const QCommandLineOption reverse(
        QStringLiteral("reverse-routing"),
        QStringLiteral("Start the units in reverse routing: every channel chooses a line."));
    const QCommandLineOption script(
        QStringLiteral("script"),
        QStringLiteral("Play FILE on the virtual unit while the demo runs (format below)."),
        QStringLiteral("FILE"));
    const QCommandLineOption unplugAfter(QStringLiteral("unplug-after"),
                                         QStringLiteral("Unplug the unit MS milliseconds after the start."),
                                         QStringLiteral("MS"));
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral("Listen for OSC remote control on 127.0.0.1, UDP port PORT (0: any free port)."),
        QStringLiteral("PORT"));
    parser.addOptions({slaves, trace, noPanel, layout, reverse, script, unplugAfter, remote});
    const QCommandLineOption help = parser.addHelpOption();

    // The usage line names the program as it was started, which the parser learns from an
    // application object: one is made only for the help.
    const auto helpText = [&] {
        const QCoreApplication application(argc, argv);
        return parser.helpText();
    };
    const auto usageError = [&helpText](const QString& what) {
        std::fprintf(stderr, "corvane-demo: %s\n\n%s", qPrintable(what), qPrintable(helpText()));
        std::exit(2);
    };
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments)) usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::printf("%s\n%s", qPrintable(helpText()), kScriptHelp);
        std::exit(0);
    }
    if (!parser.positionalArguments().isEmpty())
        usageError(QStringLiteral("unexpected argument: ") + parser.positionalArguments().first());

    DemoOptions o;
    if (parser.isSet(slaves)) {
        const std::optional<long> n = NumberIn(parser.value(slaves), 0, 3);
        if (!n) usageError(QStringLiteral("--slaves takes a number from 0 to 3"));
        o.slaves = static_cast<int>(*n);
    }
    if (parser.isSet(layout)) {
        const std::optional<long> n = NumberIn(parser.value(layout), 0, 7);
        if (!n) usageError(QStringLiteral("--layout takes a number from 0 to 7"));
        o.layout = static_cast<int>(*n);
    }
    if (parser.isSet(unplugAfter)) {
        const std::optional<long> n =
            NumberIn(parser.value(unplugAfter), 0, std::numeric_limits<long>::max());
        if (!n) usageError(QStringLiteral("--unplug-after takes milliseconds"));
        o.unplugAfterMs = *n;
    }
    if (parser.isSet(remote)) {
        const std::optional<long> n = NumberIn(parser.value(remote), 0, 65535);
        if (!n) usageError(QStringLiteral("--remote takes a UDP port from 0 to 65535"));
        o.remotePort = static_cast<int>(*n);
    }
    o.panel = !parser.isSet(noPanel);
    o.reverse = parser.isSet(reverse);
    // File names keep the bytes they were given in.
    o.trace = parser.value(trace).toLocal8Bit().toStdString();
    o.script = parser.value(script).toLocal8Bit().toStdString();
    return o;
}

// Something to look at: every unit and memory routed a little differently. These are the
// virtual unit's own memories, which the program reads from it as from a real unit.
void fillDemoRoutes(corvane::MatrixState& unit) {
    for (int u = 0; u < corvane::kUnits; ++u)
        for (int slot = 0; slot < corvane::kSlots; ++slot) {
            for (int l = 0; l < corvane::kLines; ++l) unit.LineRoute[u][slot][l] = (l + u + slot) % 5;
            for (int c = 0; c < corvane::kChannels; ++c)
                unit.ChannelRoute[u][slot][c] = (4 * c + u + slot) % 17;
        }
}

}  // namespace

int main(int argc, char** argv) {
    const DemoOptions options = Parse(argc, argv);

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
    return corvane::RunProgram(argc, argv, *bus, [&](corvane::MainWindow& window) {
        if (options.layout >= 0) {
            // As the Matrix menu would set it, among the arrangements the units allow.
            corvane::MatrixController& controller = window.controller();
            controller.setArrangement(
                corvane::AllowedLayout(controller.model().slaveCount(), options.layout));
        }
        if (options.remotePort >= 0) {
            corvane::RemoteSettings remote;
            remote.enabled = true;
            remote.port = static_cast<std::uint16_t>(options.remotePort);
            corvane::StartRemoteControl(window.controller(), remote);
        }
        if (!script.finished()) {
            // The unit's panels act while the program runs, between its polls. Actions counted
            // in transfers are looked for every 2 ms; timed ones alone wake the player when they
            // are due, so that a script waiting to unplug the unit costs nothing meanwhile.
            auto* player = new QTimer(&window);
            player->setSingleShot(true);
            player->setTimerType(Qt::PreciseTimer);
            QObject::connect(player, &QTimer::timeout, &window, [&script, &sinceStart, unit, player] {
                script.advance(sinceStart.elapsed(), unit->answeredRequests(), *unit);
                if (script.finished()) return;
                const std::optional<std::int64_t> due = script.nextDueMs();
                if (script.waitsForTransfers() || !due)
                    player->start(2);
                else
                    player->start(static_cast<int>(std::clamp<std::int64_t>(
                        *due - sinceStart.elapsed(), 0, std::numeric_limits<int>::max())));
            });
            player->start(2);
        }
        if (!options.panel) return;
        panel = std::make_unique<corvane::FrontPanel>(unit);
        panel->showBeside(window);
        // The panels go with the main window, while the application still exists.
        QObject::connect(&window, &QObject::destroyed, [&panel] { panel.reset(); });
    });
}
