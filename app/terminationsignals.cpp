#include "app/terminationsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace corvane {

#ifdef Q_OS_UNIX
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kEndAtOnceAfter = 3;

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_count = 0;

extern "C" void onTerminationSignal(int signal) {
    g_count = g_count + 1;
    if (g_count >= kEndAtOnceAfter) {
        // The default action, so that the parent sees the signal that ended the process.
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigaction(signal, &standard, nullptr);
        raise(signal);
        return;
    }
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;  // then the signals keep their default
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
    // Blocking transfers to the unit go on rather than fail as if it were gone.
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        // A signal the program was started ignoring stays ignored: nohup's hang-up, the Ctrl+C of
        // a script's background job.
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

// The handler stays: the program is ending, so a signal during the rest of its teardown changes
// nothing, and the third still ends it at once. Without the pipe its write fails harmlessly.
TerminationSignals::~TerminationSignals() {
    if (!m_notifier) return;
    delete m_notifier;
    const int readEnd = g_pipe[0];
    const int writeEnd = g_pipe[1];
    g_pipe[0] = g_pipe[1] = -1;
    close(readEnd);
    close(writeEnd);
}

void TerminationSignals::drain() {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_requested) return;
    m_requested = true;
    Q_EMIT requested();
}

#else

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
void TerminationSignals::drain() {}

#endif

}  // namespace corvane
