#include <QApplication>
#include <QPushButton>

#include "app/corvane.h"
#include "controller/eventdispatch.h"
#include "model/memoryops.h"

namespace corvane {

// One event of the units' front panels per tick.
void TCorvane_Form::TimerComandosTimer() {
    // Start-up may have failed with the timer already running: nothing to poll then, not even a
    // unit that was found but whose configuration could not be read.
    if (!m_link.isOpen() || m_startupFailed) return;
    DeviceEvent event;
    const int count = m_link.pollEvent(event);
    if (count < 0) {
        // The unit is gone: end through the normal shutdown, without a message.
        TimerComandos.setEnabled(false);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    const DispatchedEvent e = DispatchEvent(event, count, m_state);
    const int selected = m_state.SelectedUnit & 3;
    switch (e.action) {
        case EventAction::None:
            break;
        case EventAction::SetReverse:
            ReverseButton->setChecked(e.reverse);
            ApplyReverseMode();
            break;
        case EventAction::Recall:
            corvane::RecallMemory(m_state, e.memory);
            RefreshGrid();
            for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
            ShowMemoryLeds();
            ShowMemoryStatus();
            break;
        case EventAction::Unsaved:
            ApplyUnsavedBits(m_state, e.unsavedBits);
            if (m_state.UnsavedFlags[selected] == 1) {
                TimerDiferente.setEnabled(true);
                BlinkPhase = 0;
            }
            ShowMemoryStatus();
            break;
        case EventAction::Stored:
            ApplyStored(m_state, e.unit, e.memory);
            RefreshGrid();
            RefreshUnitPanel(selected);
            ShowMemoryLeds();
            ShowMemoryStatus();
            break;
        case EventAction::RouteSelected:
            // A route already shown changes nothing; the unit echoes our own changes this way.
            ApplyCrosspoint(static_cast<std::uint8_t>(e.row), static_cast<std::uint8_t>(e.column));
            break;
        case EventAction::RouteOther:
            ApplyRoute(m_state, e.unit, e.row, e.column);
            RefreshUnitPanel(e.unit);
            break;
        case EventAction::ClearSelected:
            ClearWorkMemory();
            break;
        case EventAction::ClearOther:
            ClearWork(m_state, e.unit);
            for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
            break;
        case EventAction::ReadImage: {
            ImageBuffer image{};
            // Anything but the whole image, an error included, is dropped without a word.
            if (m_link.readImage(image) != kConfigImageSize) break;
            DecodeConfigImage(image);
            ShowConfiguration();
            break;
        }
    }
}

}  // namespace corvane
