#include <QApplication>

#include "app/corvane.h"

namespace corvane {

// One event of the units' front panels per tick.
void TCorvane_Form::TimerComandosTimer() {
    // Start-up may have failed with the timer already running: nothing to poll then.
    if (!m_link.isOpen()) return;
    DeviceEvent event;
    const int count = m_link.pollEvent(event);
    if (count < 0) {
        // The unit is gone: end through the normal shutdown, without a message.
        TimerComandos.setEnabled(false);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
}

}  // namespace corvane
