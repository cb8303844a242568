// corvane-usb-harness: runs a command with the virtual CORVANE unit (and any decoys) presented as
// USB device nodes, so that the real USB library inside the command finds and drives it.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

#include "device/usbrequest.h"
#include "tools/usbharness/harnessoptions.h"
#include "tools/usbharness/nodebus.h"
#include "virtualunit/panelscript.h"
#include "virtualunit/virtualbus.h"

extern char** environ;

using namespace corvane;

namespace {

pid_t g_child = 0;

void forward(int signal) {
    if (g_child > 0) kill(g_child, signal);
}

std::u16string widen(const std::string& latin1) {
    std::u16string s;
    for (unsigned char c : latin1) s += static_cast<char16_t>(c);
    return s;
}

// The child's environment: ours, which already names the testbed, with the preload library that
// sends its device access to the testbed. A sanitizer runtime would object to a library loaded
// ahead of it.
std::vector<std::string> childEnvironment() {
    std::string preload = "libumockdev-preload.so.0";
    std::string asan = "verify_asan_link_order=0";
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("LD_PRELOAD=", 0) == 0)
            preload += ":" + entry.substr(11);
        else if (entry.rfind("ASAN_OPTIONS=", 0) == 0)
            asan += ":" + entry.substr(13);
        else
            env.push_back(entry);
    }
    env.push_back("LD_PRELOAD=" + preload);
    env.push_back("ASAN_OPTIONS=" + asan);
    return env;
}

int run(const std::vector<std::string>& command) {
    std::vector<std::string> env = childEnvironment();
    std::vector<char*> argv, envp;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const pid_t parent = getpid();
    g_child = fork();
    if (g_child < 0) {
        std::perror("corvane-usb-harness: fork");
        return 127;
    }
    if (g_child == 0) {
        // The command must not outlive the bus it runs on.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        execvpe(argv[0], argv.data(), envp.data());
        const char* reason = std::strerror(errno);
        (void)!write(2, "corvane-usb-harness: cannot run ", 32);
        (void)!write(2, argv[0], std::strlen(argv[0]));
        (void)!write(2, ": ", 2);
        (void)!write(2, reason, std::strlen(reason));
        (void)!write(2, "\n", 1);
        _exit(127);
    }
    signal(SIGINT, forward);
    signal(SIGTERM, forward);
    signal(SIGHUP, forward);

    int status = 0;
    while (waitpid(g_child, &status, 0) < 0) {
        if (errno != EINTR) return 127;
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

int main(int argc, char** argv) {
    HarnessOptions options;
    std::optional<PanelScript> script;
    std::unique_ptr<std::FILE, FileCloser> trace;
    try {
        options = ParseHarnessOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (!options.scriptPath.empty()) script = PanelScript::Load(options.scriptPath);
        if (!options.tracePath.empty()) {
            trace.reset(std::fopen(options.tracePath.c_str(), "a"));
            if (!trace) throw std::invalid_argument("cannot write " + options.tracePath);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvane-usb-harness: %s\n%s", e.what(), kHarnessUsage);
        return 2;
    }

    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    NodeBus bus;
    try {
        if (options.unit) {
            auto unit = std::make_shared<DeviceModel>(VirtualBus::UnitIdentity(),
                                                      std::make_shared<UnitFirmware>(options.slaves));
            if (options.unplugAfterTransfers >= 0) unit->unplugAfter(options.unplugAfterTransfers);
            if (trace) {
                unit->addObserver([file = trace.get()](const UsbRequest& request) {
                    if (!IsTraced(request)) return;
                    std::fprintf(file, "%s\n", TraceLine(request).c_str());
                    std::fflush(file);  // whole lines, however the command ends
                });
            }
            // Script and timed unplugging act just before a transfer: the only moment the command
            // could notice them.
            DeviceModel* model = unit.get();
            bus.addDevice(unit, [&options, &script, &start, model, transfers = 0L]() mutable {
                const auto elapsed =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
                if (script) script->advance(elapsed, transfers, *model);
                if (options.unplugAfterMs >= 0 && elapsed >= options.unplugAfterMs) model->unplug();
                ++transfers;
            });
        }
        for (const DecoyDevice& d : options.decoys) {
            bus.addDevice(std::make_shared<DeviceModel>(
                UsbIdentity{d.vendor, d.product, widen(d.manufacturer), widen(d.productName)}));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvane-usb-harness: %s\n", e.what());
        return 127;
    }
    start = Clock::now();
    return run(options.command);
}
