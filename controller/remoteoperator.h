#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

#include "remote/remotecontrol.h"
#include "remote/remoteserver.h"
#include "remote/remotesettings.h"

namespace corvane {

class MatrixController;

// Remote control for show systems: what the OSC server receives becomes the operator's own
// intents on the controller, and every change the controller reports, whatever its source, goes
// back to the subscribers once the events of the moment are handled. A show system can send far
// faster than the unit hands back the events its requests cause (one per 5 ms poll), so remote
// requests are paced: they wait while the unit is busy with ours, a route replaces a waiting
// route of the same line, and beyond kMaxWaiting they are refused. The operator's own clicks are
// never held back.
class RemoteOperator final : public QObject, public RemoteControl {
    Q_OBJECT
  public:
    // Listens as the settings say (their `enabled` is the caller's to check). Throws RemoteError
    // when the port cannot be had.
    RemoteOperator(MatrixController& controller, const RemoteSettings& settings,
                   RemoteServer::Clock clock = {}, QObject* parent = nullptr);
    ~RemoteOperator() override;

    const RemoteServer& server() const { return *m_server; }
    RemoteServer& server() { return *m_server; }

    bool route(int unit, int channel, int line) override;
    bool disconnect(int unit, int line) override;
    bool recall(int memory) override;
    bool store(int unit, int memory) override;
    bool clear(int unit) override;
    bool setReverse(bool reverse) override;
    bool selectUnit(int unit) override;
    bool setArrangement(int layout) override;
    const MatrixModel& model() const override;

    // Carries out waiting requests while the unit has room for their events; the controller
    // calls it on every poll.
    void sendWaiting();
    // At most this many remote requests wait for the unit; beyond them a request is refused.
    static constexpr std::size_t kMaxWaiting = 64;
    std::size_t waiting() const { return m_waiting.size(); }

  private:
    enum class Kind : std::uint8_t { Route, Disconnect, Recall, Store, Clear, Reverse, Unit, Layout };
    struct Request {
        Kind kind;
        int a = 0;
        int b = 0;
        int c = 0;
    };

    bool request(const Request& r);
    void carryOut(const Request& r);
    void publishSoon();

    MatrixController& m_controller;
    std::unique_ptr<RemoteServer> m_server;
    // Remote requests the unit has no room for yet, in the order they came.
    std::deque<Request> m_waiting;
    bool m_publishPending = false;
};

// Starts remote control for the controller as the settings say, once the unit is connected; a
// setting that does not read, or a port that cannot be had, is shown and leaves it off.
void StartRemoteControl(MatrixController& controller, const RemoteSettings& settings);

}  // namespace corvane
