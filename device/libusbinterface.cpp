#include "device/libusbinterface.h"

#include <usb.h>

namespace corvane {

namespace {
usb_dev_handle* native(UsbHandle handle) {
    return reinterpret_cast<usb_dev_handle*>(handle);
}
}  // namespace

void LibUsbInterface::init() {
    usb_init();
}

int LibUsbInterface::findBusses() {
    return usb_find_busses();
}

int LibUsbInterface::findDevices() {
    return usb_find_devices();
}

std::vector<UsbBus> LibUsbInterface::getBusses() {
    std::vector<UsbBus> result;
    for (usb_bus* bus = usb_get_busses(); bus != nullptr; bus = bus->next) {
        UsbBus& b = result.emplace_back();
        b.dirname = bus->dirname;
        for (struct usb_device* dev = bus->devices; dev != nullptr; dev = dev->next) {
            UsbDevice& d = b.devices.emplace_back();
            d.filename = dev->filename;
            d.idVendor = dev->descriptor.idVendor;
            d.idProduct = dev->descriptor.idProduct;
            d.iManufacturer = dev->descriptor.iManufacturer;
            d.iProduct = dev->descriptor.iProduct;
            d.native = dev;
        }
    }
    return result;
}

UsbHandle LibUsbInterface::open(const UsbDevice& device) {
    auto* dev = static_cast<struct usb_device*>(const_cast<void*>(device.native));
    return reinterpret_cast<UsbHandle>(usb_open(dev));
}

int LibUsbInterface::close(UsbHandle handle) {
    return usb_close(native(handle));
}

int LibUsbInterface::controlMsg(UsbHandle handle, int requestType, int request, int value, int index,
                                std::uint8_t* bytes, int size, int timeout) {
    return usb_control_msg(native(handle), requestType, request, value, index, reinterpret_cast<char*>(bytes),
                           size, timeout);
}

std::string LibUsbInterface::strerror() {
    return usb_strerror();
}

}  // namespace corvane
