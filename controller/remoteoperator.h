#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "remote/remotecontrol.h"
#include "remote/remoteserver.h"
#include "remote/remotesettings.h"

namespace corvane {

class MatrixController;

// Remote control for show systems: what the OSC server receives becomes the operator's own
// intents on the controller, and every change the controller reports, whatever its source, goes
// back to the subscribers once the events of the moment are handled.
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

    void route(int unit, int channel, int line) override;
    void disconnect(int unit, int line) override;
    void recall(int memory) override;
    void store(int unit, int memory) override;
    void clear(int unit) override;
    void setReverse(bool reverse) override;
    void selectUnit(int unit) override;
    void setArrangement(int layout) override;
    const MatrixState& state() const override;

  private:
    void publishSoon();

    MatrixController& m_controller;
    std::unique_ptr<RemoteServer> m_server;
    bool m_publishPending = false;
};

// Starts remote control for the controller as the settings say, once the unit is connected; a
// setting that does not read, or a port that cannot be had, is shown and leaves it off.
void StartRemoteControl(MatrixController& controller, const RemoteSettings& settings);

}  // namespace corvane
