#pragma once

#include "device/usbinterface.h"

namespace corvane {

// The real USB library, passed through unchanged.
class LibUsbInterface final : public UsbInterface {
  public:
    void init() override;
    int findBusses() override;
    int findDevices() override;
    std::vector<UsbBus> getBusses() override;
    UsbHandle open(const UsbDevice& device) override;
    int close(UsbHandle handle) override;
    int controlMsg(UsbHandle handle, int requestType, int request, int value, int index, std::uint8_t* bytes,
                   int size, int timeout) override;
    std::string strerror() override;
};

}  // namespace corvane
