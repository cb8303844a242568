#pragma once

#include <utility>

#include "device/usbinterface.h"

namespace corvane {

// The one open handle of the unit; closed when it goes out of scope or is replaced.
class DeviceHandle {
  public:
    DeviceHandle() = default;
    DeviceHandle(UsbInterface& usb, UsbHandle handle) : m_usb(&usb), m_handle(handle) {}
    DeviceHandle(DeviceHandle&& other) noexcept
        : m_usb(std::exchange(other.m_usb, nullptr)), m_handle(std::exchange(other.m_handle, nullptr)) {}
    DeviceHandle& operator=(DeviceHandle&& other) noexcept {
        if (this != &other) {
            reset();
            m_usb = std::exchange(other.m_usb, nullptr);
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;
    ~DeviceHandle() { reset(); }

    explicit operator bool() const { return m_handle != nullptr; }
    UsbHandle get() const { return m_handle; }

    void reset() {
        if (m_handle != nullptr) m_usb->close(m_handle);
        m_handle = nullptr;
        m_usb = nullptr;
    }

  private:
    UsbInterface* m_usb = nullptr;
    UsbHandle m_handle = nullptr;
};

}  // namespace corvane
