#pragma once

#include <QObject>

class QSocketNotifier;

namespace corvane {

// SIGTERM, SIGHUP and SIGINT (the desktop ending the session, the terminal closing, Ctrl+C)
// delivered on the event loop, so that the program ends through its normal exit. The handler
// only writes a byte to a pipe; `requested` is emitted once, for the first signal. A second one
// changes nothing, a third ends the process at once, for a shutdown that hangs.
// One object per process; on platforms without these signals it never emits.
class TerminationSignals final : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool wasRequested() const { return m_requested; }

  Q_SIGNALS:
    void requested();

  private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
    bool m_requested = false;
};

}  // namespace corvane
