#include "controller/remoteoperator.h"

#include "controller/matrixcontroller.h"
#include "device/notifier.h"

namespace corvane {

RemoteOperator::RemoteOperator(MatrixController& controller, const RemoteSettings& settings,
                               RemoteServer::Clock clock, QObject* parent)
    : QObject(parent),
      m_controller(controller),
      m_server(std::make_unique<RemoteServer>(*this, settings, std::move(clock))) {
    // Every signal that follows a change of what the feedback reports; several in one action are
    // sent as one set of differences.
    connect(&controller, &MatrixController::gridChanged, this, &RemoteOperator::publishSoon);
    connect(&controller, &MatrixController::crosspointChanged, this, &RemoteOperator::publishSoon);
    connect(&controller, &MatrixController::unitMapChanged, this, &RemoteOperator::publishSoon);
    connect(&controller, &MatrixController::indicatorsChanged, this, &RemoteOperator::publishSoon);
    connect(&controller, &MatrixController::memoryLampsChanged, this, &RemoteOperator::publishSoon);
    connect(&controller, &MatrixController::orientationChanged, this, &RemoteOperator::publishSoon);
    connect(&controller, &MatrixController::arrangementChanged, this, &RemoteOperator::publishSoon);
}

RemoteOperator::~RemoteOperator() = default;

void RemoteOperator::publishSoon() {
    if (m_publishPending) return;
    m_publishPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_publishPending = false;
            m_server->publishChanges();
        },
        Qt::QueuedConnection);
}

// The grid's rows are the channels and its columns the lines in both orientations.
void RemoteOperator::route(int unit, int channel, int line) {
    m_controller.routeUnit(unit, channel, line, Origin::Remote);
}

void RemoteOperator::disconnect(int unit, int line) {
    const MatrixState& s = m_controller.state();
    if (!s.ReverseMode) {
        m_controller.routeUnit(unit, kDisconnected, line, Origin::Remote);
        return;
    }
    for (int channel = 0; channel < kChannels; ++channel)
        if (s.ChannelRoute[unit][kWorkMemory][channel] == line)
            m_controller.routeUnit(unit, channel, kNoLine, Origin::Remote);
}

void RemoteOperator::recall(int memory) {
    m_controller.recallMemory(memory, Origin::Remote);
}

void RemoteOperator::store(int unit, int memory) {
    m_controller.storeUnitMemory(unit, memory);
}

void RemoteOperator::clear(int unit) {
    m_controller.clearUnitWorkMemory(unit, Origin::Remote);
}

void RemoteOperator::setReverse(bool reverse) {
    m_controller.setReverse(reverse, Origin::Remote);
}

void RemoteOperator::selectUnit(int unit) {
    m_controller.selectUnit(unit);
}

void RemoteOperator::setArrangement(int layout) {
    m_controller.setArrangement(layout);
}

const MatrixState& RemoteOperator::state() const {
    return m_controller.state();
}

void StartRemoteControl(MatrixController& controller, const RemoteSettings& settings) {
    Notifier& notifier = controller.notifier();
    // The text names the settings file: its path is in the local 8-bit encoding.
    if (!settings.error.isEmpty())
        notifier.showFileMessage(kMainTitle, settings.error.toLocal8Bit().toStdString(), MessageIcon::Error);
    if (!settings.enabled || !controller.polling()) return;
    try {
        controller.setRemoteControl(std::make_unique<RemoteOperator>(controller, settings));
    } catch (const RemoteError& e) {
        notifier.showMessage(kMainTitle, e.what(), MessageIcon::Error);
    }
}

}  // namespace corvane
