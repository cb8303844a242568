#include "remote/remoteserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "remote/remotecontrol.h"

namespace corvane {

namespace {

constexpr std::uint32_t kLoopback = 0x7f000001;  // 127.0.0.1
constexpr std::size_t kMaxDatagram = 65536;

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

sockaddr_in socketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

// A non-blocking UDP socket bound to address:port; the descriptor is the caller's to close.
int openSocket(std::uint32_t address, std::uint16_t port, std::uint16_t& bound) {
    const QString where = QStringLiteral("%1:%2").arg(ipv4Text(address)).arg(port);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    auto fail = [&](int error) -> int {
        if (fd >= 0) ::close(fd);
        throw RemoteError(QStringLiteral("Remote control cannot listen on %1: %2")
                              .arg(where, QString::fromLocal8Bit(std::strerror(error)))
                              .toStdString());
    };
    if (fd < 0) return fail(errno);
    const sockaddr_in a = socketAddress(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) return fail(errno);
    sockaddr_in actual{};
    socklen_t length = sizeof actual;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&actual), &length) != 0) return fail(errno);
    bound = ntohs(actual.sin_port);
    return fd;
}

}  // namespace

RemoteServer::RemoteServer(RemoteControl& control, const RemoteSettings& settings, Clock clock,
                           QObject* parent)
    : QObject(parent),
      m_control(control),
      m_dispatch(control, this),
      m_clock(clock ? std::move(clock) : Clock(steadyMilliseconds)),
      m_allowed(settings.allowedClients),
      m_buffer(kMaxDatagram) {
    m_socket = openSocket(m_allowed.empty() ? kLoopback : INADDR_ANY, settings.port, m_port);
    m_notifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { handlePending(); });
}

RemoteServer::~RemoteServer() {
    m_notifier.reset();
    ::close(m_socket);
}

QString RemoteServer::where() const {
    if (m_allowed.empty()) return QStringLiteral("127.0.0.1:%1").arg(m_port);
    QStringList clients{QStringLiteral("127.0.0.1")};
    for (std::uint32_t a : m_allowed) clients << ipv4Text(a);
    return QStringLiteral("all addresses, port %1, for %2")
        .arg(m_port)
        .arg(clients.join(QStringLiteral(", ")));
}

bool RemoteServer::allowed(std::uint32_t address) const {
    // Listening on 127.0.0.1 only, every sender is on this machine.
    if (m_allowed.empty() || address == kLoopback) return true;
    return std::find(m_allowed.begin(), m_allowed.end(), address) != m_allowed.end();
}

int RemoteServer::handlePending() {
    int packets = 0;
    int work = 0;
    while (packets < kMaxPacketsPerWakeUp && work < kMaxWorkPerWakeUp) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size = ::recvfrom(m_socket, m_buffer.data(), m_buffer.size(), 0,
                                        reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0) {
            if (errno == EINTR) continue;
            break;  // nothing more waiting
        }
        ++packets;
        const RemotePeer sender{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
        if (from.sin_family != AF_INET || !allowed(sender.address)) {
            m_dispatch.countDrop(RemoteDrop::NotAllowed);
            continue;
        }
        work += m_dispatch.handlePacket(m_buffer.data(), static_cast<std::size_t>(size), sender);
    }
    return packets;
}

void RemoteServer::expireSubscribers() {
    const std::int64_t now = m_clock();
    std::erase_if(m_subscribers, [now](const Subscriber& s) { return now - s.renewed >= kSubscriptionMs; });
}

void RemoteServer::send(const OscPacket& packet, const RemotePeer& target) {
    const sockaddr_in to = socketAddress(target.address, target.port);
    // A full send buffer loses this message; the next change or a dump puts the subscriber right.
    ::sendto(m_socket, packet.data(), packet.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
}

void RemoteServer::publishChanges() {
    expireSubscribers();
    if (m_subscribers.empty()) {
        m_lastSent.reset();
        return;
    }
    const FeedbackValues values = feedbackValues(m_control.model());
    if (m_lastSent && *m_lastSent == values) return;
    const std::vector<OscPacket> messages = feedbackMessages(values, m_lastSent ? &*m_lastSent : nullptr);
    for (const Subscriber& s : m_subscribers)
        for (const OscPacket& m : messages) send(m, s.target);
    m_lastSent = values;
}

bool RemoteServer::subscribe(const RemotePeer& sender, std::uint16_t port) {
    const RemotePeer target{sender.address, port != 0 ? port : sender.port};
    // Bring everyone up to date first, so that one record of what was sent serves everyone.
    publishChanges();
    const auto known = std::find_if(m_subscribers.begin(), m_subscribers.end(),
                                    [&](const Subscriber& s) { return s.target == target; });
    // A renewal gets the whole state too: the controller behind that port may have restarted.
    if (known != m_subscribers.end())
        known->renewed = m_clock();
    else if (static_cast<int>(m_subscribers.size()) >= kMaxSubscribers)
        return false;
    else
        m_subscribers.push_back({target, m_clock()});
    const FeedbackValues values = feedbackValues(m_control.model());
    for (const OscPacket& m : feedbackMessages(values, nullptr)) send(m, target);
    m_lastSent = values;
    return true;
}

void RemoteServer::unsubscribe(const RemotePeer& sender, std::uint16_t port) {
    const RemotePeer target{sender.address, port != 0 ? port : sender.port};
    std::erase_if(m_subscribers, [&](const Subscriber& s) { return s.target == target; });
}

void RemoteServer::dump(const RemotePeer& sender) {
    for (const OscPacket& m : feedbackMessages(feedbackValues(m_control.model()), nullptr)) send(m, sender);
}

}  // namespace corvane
