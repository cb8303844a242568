#pragma once

#include <QTimer>

#include <functional>

namespace corvane {

// An interval timer of the controller. Whether it is enabled is state the program reasons about;
// whether its ticks really run is chosen once: tests drive the handler themselves instead of waiting.
class TickTimer {
  public:
    TickTimer(int intervalMs, Qt::TimerType type, std::function<void()> onTick) {
        m_timer.setInterval(intervalMs);
        m_timer.setTimerType(type);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
    }

    void setEnabled(bool enabled) {
        m_enabled = enabled;
        if (enabled && m_ticksRun) {
            if (!m_timer.isActive()) m_timer.start();  // a running timer keeps its rhythm
        } else {
            m_timer.stop();
        }
    }
    bool enabled() const { return m_enabled; }
    void setTicksRun(bool run) {
        m_ticksRun = run;
        setEnabled(m_enabled);
    }

  private:
    QTimer m_timer;
    bool m_enabled = false;
    bool m_ticksRun = true;
};

}  // namespace corvane
