#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "remote/oscdispatch.h"
#include "remote/remotefeedback.h"
#include "remote/remotesettings.h"

class QSocketNotifier;

namespace corvane {

class RemoteControl;

// The server could not listen; what() is the message for the operator.
class RemoteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The OSC server on UDP. It lives on the user-interface thread and is woken by Qt's event loop
// whenever packets wait; each wake-up does a bounded amount of work, so a flood of packets
// cannot starve the 5 ms device poll. It keeps the subscribers of the feedback and sends them
// every change of the state the program reports through publishChanges().
class RemoteServer : public QObject, private RemoteSession {
    Q_OBJECT

  public:
    using Clock = std::function<std::int64_t()>;  // monotonic milliseconds

    static constexpr int kMaxPacketsPerWakeUp = 32;
    static constexpr int kMaxWorkPerWakeUp = 32;  // messages, a dump counting as several
    static constexpr int kMaxSubscribers = 8;
    static constexpr std::int64_t kSubscriptionMs = 10 * 60 * 1000;

    // Listens at once on 127.0.0.1, or on all addresses when settings.allowedClients is not empty;
    // port 0 takes any free port. Throws RemoteError when the port cannot be had. settings.enabled
    // is the caller's to check.
    RemoteServer(RemoteControl& control, const RemoteSettings& settings, Clock clock = {},
                 QObject* parent = nullptr);
    ~RemoteServer() override;

    std::uint16_t port() const { return m_port; }
    // Where it listens, for the operator: "127.0.0.1:9000", or all addresses with the allowed clients.
    QString where() const;

    // Reads and handles waiting packets, at most kMaxPacketsPerWakeUp of them and stopping once
    // kMaxWorkPerWakeUp is spent; the rest wait for the next wake-up. Returns the packets read.
    int handlePending();

    // The program calls this after anything may have changed: subscribers get the differences
    // from what they were last sent.
    void publishChanges();

    const RemoteCounters& counters() const { return m_dispatch.counters(); }
    int subscriberCount() const { return static_cast<int>(m_subscribers.size()); }

  private:
    struct Subscriber {
        RemotePeer target;
        std::int64_t renewed;
    };

    bool subscribe(const RemotePeer& sender, std::uint16_t port) override;
    void unsubscribe(const RemotePeer& sender, std::uint16_t port) override;
    void dump(const RemotePeer& sender) override;

    bool allowed(std::uint32_t address) const;
    void expireSubscribers();
    void send(const OscPacket& packet, const RemotePeer& target);

    RemoteControl& m_control;
    OscDispatch m_dispatch;
    Clock m_clock;
    std::vector<std::uint32_t> m_allowed;  // empty: loopback only
    int m_socket = -1;
    std::uint16_t m_port = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<std::uint8_t> m_buffer;
    std::vector<Subscriber> m_subscribers;
    std::optional<FeedbackValues> m_lastSent;
};

}  // namespace corvane
