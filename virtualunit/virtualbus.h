#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/usbinterface.h"
#include "virtualunit/devicemodel.h"

namespace corvane {

// The USB library as the demo and the tests see it: buses of simulated devices, among them the
// matrix unit and any decoys a case needs. Errors read as the real library words them.
class VirtualBus final : public UsbInterface {
  public:
    // Adds a device at the end of the bus's list, creating buses up to `bus` as needed.
    std::shared_ptr<DeviceModel> addDevice(int bus, UsbIdentity identity,
                                           std::shared_ptr<UnitFirmware> firmware = nullptr);

    // The matrix unit with the identity the program looks for.
    static UsbIdentity UnitIdentity();
    // The usual set-up: one bus holding the unit with the given number of slaves.
    static std::unique_ptr<VirtualBus> WithUnit(int slaveCount, std::shared_ptr<DeviceModel>* unit = nullptr);

    void init() override { ++m_initCalls; }
    int findBusses() override { return static_cast<int>(m_buses.size()); }
    int findDevices() override;
    std::vector<UsbBus> getBusses() override;
    UsbHandle open(const UsbDevice& device) override;
    int close(UsbHandle handle) override;
    int controlMsg(UsbHandle handle, int requestType, int request, int value, int index, std::uint8_t* bytes,
                   int size, int timeout) override;
    std::string strerror() override { return m_error; }

    int initCalls() const { return m_initCalls; }
    int openHandles() const { return static_cast<int>(m_open.size()); }

  private:
    std::vector<std::vector<std::shared_ptr<DeviceModel>>> m_buses;
    std::map<UsbHandle, std::shared_ptr<DeviceModel>> m_open;
    std::uintptr_t m_nextHandle = 0x1000;
    std::string m_error = "No error";
    int m_initCalls = 0;
};

}  // namespace corvane
