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

bool RemoteOperator::route(int unit, int channel, int line) {
    return request({Kind::Route, unit, channel, line});
}

bool RemoteOperator::disconnect(int unit, int line) {
    // In normal routing this is the route of the line to no channel, and waits as one.
    if (!m_controller.model().isReverse()) return request({Kind::Route, unit, kDisconnected, line});
    return request({Kind::Disconnect, unit, line});
}

bool RemoteOperator::recall(int memory) {
    return request({Kind::Recall, memory});
}

bool RemoteOperator::store(int unit, int memory) {
    return request({Kind::Store, unit, memory});
}

bool RemoteOperator::clear(int unit) {
    return request({Kind::Clear, unit});
}

bool RemoteOperator::setReverse(bool reverse) {
    return request({Kind::Reverse, reverse ? 1 : 0});
}

bool RemoteOperator::selectUnit(int unit) {
    return request({Kind::Unit, unit});
}

bool RemoteOperator::setArrangement(int layout) {
    return request({Kind::Layout, layout});
}

bool RemoteOperator::request(const Request& r) {
    // Selecting a unit or an arrangement sends nothing; it waits only to keep its place in line.
    const bool sends = r.kind != Kind::Unit && r.kind != Kind::Layout;
    if (m_waiting.empty() && (!sends || m_controller.unitTraffic().roomForRemote())) {
        carryOut(r);
        return true;
    }
    if (r.kind == Kind::Route) {
        // The last route of a crosspoint wins, among the routes waiting since the last other request.
        const bool reverse = m_controller.model().isReverse();
        for (auto w = m_waiting.rbegin(); w != m_waiting.rend() && w->kind == Kind::Route; ++w) {
            if (w->a == r.a && (reverse ? w->b == r.b : w->c == r.c)) {
                *w = r;
                return true;
            }
        }
    }
    if (m_waiting.size() >= kMaxWaiting) return false;
    m_waiting.push_back(r);
    return true;
}

void RemoteOperator::sendWaiting() {
    while (!m_waiting.empty() && m_controller.unitTraffic().roomForRemote()) {
        const Request r = m_waiting.front();
        m_waiting.pop_front();
        carryOut(r);
    }
}

// The grid's rows are the channels and its columns the lines in both orientations.
void RemoteOperator::carryOut(const Request& r) {
    switch (r.kind) {
        case Kind::Route:
            m_controller.routeUnit(r.a, r.b, r.c, Origin::Remote);
            break;
        case Kind::Disconnect: {
            const MatrixModel& model = m_controller.model();
            for (int channel = 0; channel < kChannels; ++channel)
                if (model.isReverse() && model.isLit(r.a, kWorkMemory, channel, r.b))
                    m_controller.routeUnit(r.a, channel, kNoLine, Origin::Remote);
            break;
        }
        case Kind::Recall:
            m_controller.recallMemory(r.a, Origin::Remote);
            break;
        case Kind::Store:
            m_controller.storeUnitMemory(r.a, r.b);
            break;
        case Kind::Clear:
            m_controller.clearUnitWorkMemory(r.a, Origin::Remote);
            break;
        case Kind::Reverse:
            m_controller.setReverse(r.a != 0, Origin::Remote);
            break;
        case Kind::Unit:
            m_controller.selectUnit(r.a);
            break;
        case Kind::Layout:
            m_controller.setArrangement(r.a);
            break;
    }
}

const MatrixModel& RemoteOperator::model() const {
    return m_controller.model();
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
