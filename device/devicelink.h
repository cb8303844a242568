#pragma once

#include <cstdint>
#include <string>

#include "device/configimage.h"
#include "device/deviceevent.h"
#include "device/devicehandle.h"
#include "device/notifier.h"
#include "device/requests.h"
#include "device/usbinterface.h"

namespace corvane {

// The program's side of the wire: the open unit and every request it is sent. Each request takes
// its form from the catalogue; failures are reported as the operator is meant to see them.
class DeviceLink {
  public:
    DeviceLink(UsbInterface& usb, Notifier& notifier) : m_usb(usb), m_notifier(notifier) {}

    // Finds and opens the unit; the result is that of OpenDevice.
    int open(const std::string& manufacturer);
    bool isOpen() const { return static_cast<bool>(m_handle); }
    void close() { m_handle.reset(); }

    // A command request (SetRoute, SetReverse, Recall, Store, Clear): one attempt, the reply unread.
    // A failure shows "USB error: %s\n" and the caller carries on.
    void sendCommand(RequestCode code, std::uint16_t value, std::uint16_t index);

    // Reads the image into a zeroed buffer; returns the count, negative on failure. Silent.
    int readImage(ImageBuffer& buffer);
    // Sends the 229 bytes of the image; a failure shows its message with the error icon.
    int writeImage(const ImageBuffer& image);
    // Fetches one event into a zeroed buffer; returns the count, negative on failure. Silent.
    int pollEvent(DeviceEvent& event);

    std::string lastError() { return m_usb.strerror(); }
    Notifier& notifier() { return m_notifier; }

  private:
    int transfer(RequestCode code, std::uint16_t value, std::uint16_t index, std::uint8_t* data);

    UsbInterface& m_usb;
    Notifier& m_notifier;
    DeviceHandle m_handle;
};

}  // namespace corvane
