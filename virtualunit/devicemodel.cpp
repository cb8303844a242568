#include "virtualunit/devicemodel.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "device/requests.h"

namespace corvane {

DeviceModel::DeviceModel(UsbIdentity identity, std::shared_ptr<UnitFirmware> firmware)
    : m_identity(std::move(identity)), m_firmware(std::move(firmware)) {}

std::vector<std::uint8_t> DeviceModel::stringDescriptor(int index) const {
    std::u16string text;
    if (index == 0) {
        text = std::u16string(1, char16_t{kLanguageUsEnglish});
    } else if (index == kManufacturerIndex) {
        text = m_identity.manufacturer;
    } else if (index == kProductIndex) {
        text = m_identity.productName;
    } else {
        return {};
    }
    const std::size_t units = std::min<std::size_t>(text.size(), 126);
    std::vector<std::uint8_t> d{static_cast<std::uint8_t>(2 + 2 * units), 3};
    for (std::size_t i = 0; i < units; ++i) {
        d.push_back(static_cast<std::uint8_t>(text[i] & 0xFF));
        d.push_back(static_cast<std::uint8_t>(text[i] >> 8));
    }
    return d;
}

const FaultRule* DeviceModel::takeFault(std::uint8_t requestType, std::uint8_t request) {
    for (FaultRule& rule : m_faults) {
        if (rule.times == 0) continue;
        if (rule.requestType >= 0 && rule.requestType != requestType) continue;
        if (rule.request >= 0 && rule.request != request) continue;
        if (rule.times > 0) --rule.times;
        return &rule;
    }
    return nullptr;
}

int DeviceModel::control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                         std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
    if (m_unplugged) return -ENODEV;
    if (m_unplugCountdown == 0) {
        m_unplugged = true;
        return -ENODEV;
    }
    if (m_unplugCountdown > 0) --m_unplugCountdown;

    UsbRequest record{requestType, request, value, index, length, {}, 0};
    const bool out = (requestType & 0x80) == 0;
    if (out) record.data.assign(data, data + length);

    int result;
    const FaultRule* fault = takeFault(requestType, request);
    if (fault != nullptr && fault->kind == FaultKind::Fail) {
        result = -EIO;
    } else if (fault != nullptr && fault->kind == FaultKind::Timeout) {
        result = -ETIMEDOUT;
    } else {
        // Answer into a scratch buffer so that a short reply delivers only the bytes it reports.
        std::vector<std::uint8_t> scratch(data, data + length);
        result = answer(requestType, request, value, index, scratch.data(), length);
        if (fault != nullptr && result > fault->shortLength) result = std::max(0, fault->shortLength);
        if (!out && result > 0) std::copy_n(scratch.begin(), result, data);
    }
    record.result = result;
    if (m_requests.size() == kRecordedRequests) m_requests.pop_front();
    m_requests.push_back(std::move(record));
    ++m_answered;
    for (const auto& observer : m_observers) observer(m_requests.back());
    return result;
}

int DeviceModel::answer(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                        std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
    const bool stringRequest = requestType == kStandardIn && request == kStringDescriptorForm.request &&
                               (value >> 8) == (kStringDescriptorValue >> 8);
    if (stringRequest) {
        if (m_stringsFail) return -EPIPE;
        const std::vector<std::uint8_t> d = stringDescriptor(value & 0xFF);
        if (d.empty()) return -EPIPE;
        const int n = std::min<int>(length, static_cast<int>(d.size()));
        std::copy_n(d.begin(), n, data);
        return n;
    }
    if ((requestType & 0x60) == 0x40 && m_firmware) {
        const int n = m_firmware->handleRequest(requestType, request, value, index, data, length);
        return n < 0 ? -EPIPE : n;
    }
    return -EPIPE;  // unknown requests stall, as hardware does
}

}  // namespace corvane
