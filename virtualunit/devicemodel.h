#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/usbrequest.h"
#include "virtualunit/unitfirmware.h"

namespace corvane {

struct UsbIdentity {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::u16string manufacturer;  // UTF-16, as the string descriptors carry it
    std::u16string productName;
};

// How a transfer can go wrong on purpose.
enum class FaultKind { Fail, Timeout, Short };

struct FaultRule {
    int requestType = -1;  // -1 matches any
    int request = -1;      // -1 matches any
    FaultKind kind = FaultKind::Fail;
    int shortLength = 0;  // bytes a Short transfer reports
    int times = -1;       // how many transfers it hits; -1 for ever
};

// One USB device on a bus: its identity and string descriptors, the unit's firmware behind the
// vendor requests (none for other devices), injected faults, and the record of every request it
// received. Both the in-process virtual bus and the device-node harness serve transfers from it.
class DeviceModel {
  public:
    explicit DeviceModel(UsbIdentity identity, std::shared_ptr<UnitFirmware> firmware = nullptr);

    const UsbIdentity& identity() const { return m_identity; }
    UnitFirmware* firmware() const { return m_firmware.get(); }

    // A control transfer on the default endpoint. Returns the bytes transferred or a negative
    // errno: -EPIPE for a stalled request, -ETIMEDOUT, -EIO, or -ENODEV once unplugged.
    int control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value, std::uint16_t index,
                std::uint8_t* data, std::uint16_t length);

    // String descriptor bytes (length, type 3, UTF-16LE); empty for an unknown index.
    std::vector<std::uint8_t> stringDescriptor(int index) const;

    // Faults.
    void setOpenFails(bool fails) { m_openFails = fails; }
    bool openFails() const { return m_openFails || m_unplugged; }
    void setStringsFail(bool fail) { m_stringsFail = fail; }
    void addFault(const FaultRule& rule) { m_faults.push_back(rule); }
    void clearFaults() { m_faults.clear(); }
    void unplug() { m_unplugged = true; }
    // The unit disappears when this many more transfers have been answered.
    void unplugAfter(int transfers) { m_unplugCountdown = transfers; }
    bool unplugged() const { return m_unplugged; }

    // The record of the last kRecordedRequests requests, oldest first: enough for the front
    // panel's list and for tests, and bounded however long a demo polls.
    static constexpr std::size_t kRecordedRequests = 4096;
    const std::deque<UsbRequest>& requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // Every request answered since the device was created; clearing the record does not reset it.
    long answeredRequests() const { return m_answered; }
    // Called with every request as it is answered (the demo's trace, the front-panel window).
    void addObserver(std::function<void(const UsbRequest&)> observer) {
        m_observers.push_back(std::move(observer));
    }

    static constexpr std::uint8_t kManufacturerIndex = 1;
    static constexpr std::uint8_t kProductIndex = 2;

  private:
    int answer(std::uint8_t requestType, std::uint8_t request, std::uint16_t value, std::uint16_t index,
               std::uint8_t* data, std::uint16_t length);
    const FaultRule* takeFault(std::uint8_t requestType, std::uint8_t request);

    UsbIdentity m_identity;
    std::shared_ptr<UnitFirmware> m_firmware;
    bool m_openFails = false;
    bool m_stringsFail = false;
    bool m_unplugged = false;
    int m_unplugCountdown = -1;
    std::vector<FaultRule> m_faults;
    std::deque<UsbRequest> m_requests;
    long m_answered = 0;
    std::vector<std::function<void(const UsbRequest&)>> m_observers;
};

}  // namespace corvane
