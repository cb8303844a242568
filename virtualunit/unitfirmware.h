#pragma once

#include <cstdint>
#include <deque>

#include "device/deviceevent.h"
#include "model/matrixstate.h"

namespace corvane {

// A plausible firmware of the master unit and its slaves: it keeps every unit's routing and
// memories, carries out the host's requests, and queues the events its front panels cause.
// It never answers a host command with the event that would make the host send that command again.
class UnitFirmware {
  public:
    explicit UnitFirmware(int slaveCount = 3);

    // A vendor request of the host. `data` holds `length` bytes; for a device-to-host request the
    // reply is written there. Returns the number of bytes transferred, or -1 for a request the
    // firmware does not know (the device stalls it).
    int handleRequest(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                      std::uint16_t index, std::uint8_t* data, int length);

    // The units' own front panels. Each change queues the event the host is told.
    void pressRoute(int unit, int row, int column);
    void pressRecall(int memory);
    void pressStore(int unit, int memory);
    void pressClear(int unit);
    void pressReverse(bool reverse);
    // A wholesale change, as after a configuration was loaded on the unit itself.
    void replaceConfiguration(const MatrixState& state);
    // The unit holds at most kMaxEvents events for the host, as a firmware's fixed buffer does.
    // One more does not fit: the queue is emptied and holds one ImageChanged instead, so the host
    // reads the whole configuration again and loses none of the changes.
    static constexpr std::size_t kMaxEvents = 64;
    void queueEvent(const DeviceEvent& event);
    // How often the queue overflowed.
    int overflows() const { return m_overflows; }

    const MatrixState& state() const { return m_state; }
    MatrixState& state() { return m_state; }
    int slaveCount() const { return m_state.SlaveCount; }
    std::size_t pendingEvents() const { return m_events.size(); }

  private:
    bool hasUnit(int unit) const { return unit >= 0 && unit <= m_state.SlaveCount; }
    static bool isMemory(int memory) { return memory >= 0 && memory < kMemories; }
    bool setRoute(int unit, int row, int column);
    void store(int unit, int memory);
    // The unit's own routing: its memories hold the table of the orientation in force, as the
    // program's do, but the code is kept apart so that a test comparing the two can catch a
    // fault in either.
    void recallAll(int memory);
    void copyWorkInto(int unit, int memory);
    void clearWork(int unit);
    void reportUnsaved();

    MatrixState m_state{};
    std::deque<DeviceEvent> m_events;
    int m_overflows = 0;
};

}  // namespace corvane
