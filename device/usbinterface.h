#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// One device as the bus walk sees it: the fields of its device descriptor the search needs.
struct UsbDevice {
    std::string filename;
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint8_t iManufacturer = 0;
    std::uint8_t iProduct = 0;
    const void* native = nullptr;  // the implementation's own device record
};

struct UsbBus {
    std::string dirname;
    std::vector<UsbDevice> devices;
};

struct UsbHandleTag;
using UsbHandle = UsbHandleTag*;

// The eight calls the program makes of the USB library, so that the real library and the virtual
// unit can stand behind the same code. Results follow the library: a negative count is an error
// whose text strerror() then gives.
class UsbInterface {
  public:
    virtual ~UsbInterface() = default;

    virtual void init() = 0;
    virtual int findBusses() = 0;
    virtual int findDevices() = 0;
    virtual std::vector<UsbBus> getBusses() = 0;
    virtual UsbHandle open(const UsbDevice& device) = 0;  // nullptr on failure
    virtual int close(UsbHandle handle) = 0;
    virtual int controlMsg(UsbHandle handle, int requestType, int request, int value, int index,
                           std::uint8_t* bytes, int size, int timeout) = 0;
    virtual std::string strerror() = 0;
};

}  // namespace corvane
