#include "device/devicelink.h"

#include <array>

#include "device/messages.h"
#include "device/opendevice.h"

namespace corvane {

int DeviceLink::open(const std::string& manufacturer) {
    return OpenDevice(m_usb, m_notifier, m_handle, kUnitVendorId, manufacturer, kUnitProductId,
                      kUnitProductString);
}

int DeviceLink::transfer(RequestCode code, std::uint16_t value, std::uint16_t index, std::uint8_t* data) {
    const RequestForm form = FormOf(code);
    if (!m_handle) return -1;  // never reached through the window: nothing is sent without a unit
    return m_usb.controlMsg(m_handle.get(), form.requestType, form.request, value, index, data, form.length,
                            form.timeout);
}

void DeviceLink::sendCommand(RequestCode code, std::uint16_t value, std::uint16_t index) {
    std::array<std::uint8_t, kCommandReplySize> reply{};
    if (transfer(code, value, index, reply.data()) < 0) {
        m_notifier.showMessage(kMainTitle, Format(msg::kUsbError, lastError().c_str()), MessageIcon::None);
    }
}

int DeviceLink::readImage(ImageBuffer& buffer) {
    buffer.fill(0);
    return transfer(RequestCode::ReadImage, 0, 0, buffer.data());
}

int DeviceLink::writeImage(const ImageBuffer& image) {
    ImageBuffer out = image;
    const int count = transfer(RequestCode::WriteImage, 0, 0, out.data());
    if (count < 0) {
        m_notifier.showMessage(kMainTitle, Format(msg::kImageError, lastError().c_str(), count),
                               MessageIcon::Error);
    }
    return count;
}

int DeviceLink::pollEvent(DeviceEvent& event) {
    event.fill(0);
    return transfer(RequestCode::PollEvent, 0, 0, event.data());
}

}  // namespace corvane
