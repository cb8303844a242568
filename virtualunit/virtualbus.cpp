#include "virtualunit/virtualbus.h"

#include <cstdio>
#include <cstring>

#include "version.h"

namespace corvane {

namespace {
std::u16string widen(const char* latin1) {
    std::u16string s;
    for (const char* p = latin1; *p; ++p) s += static_cast<char16_t>(static_cast<unsigned char>(*p));
    return s;
}
}  // namespace

UsbIdentity VirtualBus::UnitIdentity() {
    return UsbIdentity{0x16C0, 0x05DC, widen(CORVANE_MANUFACTURER), widen("CORVANE Intercom Matrix")};
}

std::unique_ptr<VirtualBus> VirtualBus::WithUnit(int slaveCount, std::shared_ptr<DeviceModel>* unit) {
    auto bus = std::make_unique<VirtualBus>();
    auto model = bus->addDevice(0, UnitIdentity(), std::make_shared<UnitFirmware>(slaveCount));
    if (unit != nullptr) *unit = model;
    return bus;
}

std::shared_ptr<DeviceModel> VirtualBus::addDevice(int bus, UsbIdentity identity,
                                                   std::shared_ptr<UnitFirmware> firmware) {
    if (static_cast<int>(m_buses.size()) <= bus) m_buses.resize(bus + 1);
    auto model = std::make_shared<DeviceModel>(std::move(identity), std::move(firmware));
    m_buses[bus].push_back(model);
    return model;
}

int VirtualBus::findDevices() {
    int count = 0;
    for (const auto& bus : m_buses) count += static_cast<int>(bus.size());
    return count;
}

std::vector<UsbBus> VirtualBus::getBusses() {
    std::vector<UsbBus> result;
    for (std::size_t b = 0; b < m_buses.size(); ++b) {
        char name[24];
        std::snprintf(name, sizeof name, "%03zu", b + 1);
        UsbBus& bus = result.emplace_back();
        bus.dirname = name;
        for (std::size_t d = 0; d < m_buses[b].size(); ++d) {
            const DeviceModel& model = *m_buses[b][d];
            char file[24];
            std::snprintf(file, sizeof file, "%03zu", d + 1);
            bus.devices.push_back(UsbDevice{file, model.identity().vendor, model.identity().product,
                                            DeviceModel::kManufacturerIndex, DeviceModel::kProductIndex,
                                            &model});
        }
    }
    return result;
}

UsbHandle VirtualBus::open(const UsbDevice& device) {
    for (const auto& bus : m_buses)
        for (const auto& model : bus) {
            if (model.get() != device.native) continue;
            if (model->openFails()) {
                m_error = "could not open device: Permission denied";
                return nullptr;
            }
            auto handle = reinterpret_cast<UsbHandle>(m_nextHandle++);
            m_open[handle] = model;
            return handle;
        }
    m_error = "could not open device: No such device";
    return nullptr;
}

int VirtualBus::close(UsbHandle handle) {
    return m_open.erase(handle) == 1 ? 0 : -EINVAL;
}

int VirtualBus::controlMsg(UsbHandle handle, int requestType, int request, int value, int index,
                           std::uint8_t* bytes, int size, int /*timeout*/) {
    const auto it = m_open.find(handle);
    if (it == m_open.end() || size < 0 || size > 0xFFFF) {
        m_error = "error sending control message: Invalid argument";
        return -EINVAL;
    }
    const int result =
        it->second->control(static_cast<std::uint8_t>(requestType), static_cast<std::uint8_t>(request),
                            static_cast<std::uint16_t>(value), static_cast<std::uint16_t>(index), bytes,
                            static_cast<std::uint16_t>(size));
    if (result < 0) m_error = std::string("error sending control message: ") + std::strerror(-result);
    return result;
}

}  // namespace corvane
