#include "virtualunit/unitfirmware.h"

#include <algorithm>
#include <cstring>

#include "device/configimage.h"
#include "device/requests.h"

namespace corvane {

UnitFirmware::UnitFirmware(int slaveCount) {
    m_state.SlaveCount = static_cast<std::uint8_t>(std::clamp(slaveCount, 0, 3));
    for (int u = 0; u < kUnits; ++u)
        for (int s = 0; s < kSlots; ++s) {
            std::fill_n(m_state.LineRoute[u][s], kLines, kDisconnected);
            std::fill_n(m_state.ChannelRoute[u][s], kChannels, kNoLine);
        }
}

int UnitFirmware::handleRequest(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                                std::uint16_t index, std::uint8_t* data, int length) {
    if (requestType == kVendorOut && request == static_cast<std::uint8_t>(RequestCode::WriteImage)) {
        ImageBuffer image{};
        std::copy_n(data, std::min(length, kConfigImageSize), image.begin());
        const std::uint8_t slaves = m_state.SlaveCount;
        DecodeConfigImage(m_state, image);
        m_state.SlaveCount = slaves;  // the number of slaves is a matter of cabling, not of the image
        return std::min(length, kConfigImageSize);
    }
    if (requestType != kVendorIn) return -1;

    const int reply = std::min(length, kCommandReplySize);
    std::fill_n(data, length, 0);
    switch (static_cast<RequestCode>(request)) {
        case RequestCode::ReadImage: {
            ImageBuffer image = EncodeConfigImage(m_state);
            std::uint8_t unsaved = 0;
            for (int u = 0; u < kUnits; ++u) unsaved |= (m_state.UnsavedFlags[u] ? 1 : 0) << u;
            image[228] = unsaved;
            const int n = std::min(length, kConfigImageSize);
            std::copy_n(image.begin(), n, data);
            return n;
        }
        case RequestCode::SetRoute: {
            const int unit = value >> 4;
            if (setRoute(unit, value & 0x0F, index)) {
                // Echo the change as the panel would, then the unsaved flags.
                queueEvent(MakeEvent(EventCode::RouteChanged, static_cast<std::uint8_t>(index),
                                     static_cast<std::uint8_t>(value)));
                m_state.UnsavedFlags[unit] = 1;
                reportUnsaved();
            }
            return reply;
        }
        case RequestCode::SetReverse:
            m_state.ReverseMode = value ? 1 : 0;
            return reply;
        case RequestCode::Recall:
            if (isMemory(value)) {
                recallAll(value);
                std::fill_n(m_state.UnsavedFlags, kUnits, 0);
                reportUnsaved();
            }
            return reply;
        case RequestCode::Store:
            if (isMemory(value) && hasUnit(index)) {
                store(index, value);
                reportUnsaved();
            }
            return reply;
        case RequestCode::Clear:
            if (hasUnit(value)) {
                clearWork(value);
                m_state.UnsavedFlags[value] = 1;
                reportUnsaved();
            }
            return reply;
        case RequestCode::PollEvent: {
            if (m_events.empty()) return 0;
            const DeviceEvent event = m_events.front();
            m_events.pop_front();
            std::copy_n(event.begin(), reply, data);
            return reply;
        }
        case RequestCode::WriteImage:
            break;
    }
    return -1;
}

void UnitFirmware::queueEvent(const DeviceEvent& event) {
    if (m_events.size() < kMaxEvents) {
        m_events.push_back(event);
        return;
    }
    ++m_overflows;
    m_events.clear();
    m_events.push_back(MakeEvent(EventCode::ImageChanged));
}

bool UnitFirmware::setRoute(int unit, int row, int column) {
    if (!hasUnit(unit)) return false;
    if (m_state.ReverseMode) {
        if (row >= kChannels || column > kNoLine) return false;
        m_state.ChannelRoute[unit][kWorkMemory][row] = static_cast<std::uint8_t>(column);
    } else {
        if (row > kDisconnected || column >= kLines) return false;
        m_state.LineRoute[unit][kWorkMemory][column] = static_cast<std::uint8_t>(row);
    }
    return true;
}

void UnitFirmware::store(int unit, int memory) {
    copyWorkInto(unit, memory);
    if (m_state.CurrentMemory[unit] != memory) {
        // Storing into another memory moves every unit onto it, as the host's own model does.
        recallAll(memory);
    }
    m_state.UnsavedFlags[unit] = 0;
}

void UnitFirmware::recallAll(int memory) {
    const int slot = memory + 1;
    for (int u = 0; u < kUnits; ++u) {
        m_state.CurrentMemory[u] = static_cast<std::uint8_t>(memory);
        if (m_state.ReverseMode) {
            for (int channel = 0; channel < kChannels; ++channel)
                m_state.ChannelRoute[u][kWorkMemory][channel] = m_state.ChannelRoute[u][slot][channel];
        } else {
            for (int line = 0; line < kLines; ++line)
                m_state.LineRoute[u][kWorkMemory][line] = m_state.LineRoute[u][slot][line];
        }
    }
}

void UnitFirmware::copyWorkInto(int unit, int memory) {
    const int slot = memory + 1;
    if (m_state.ReverseMode) {
        for (int channel = 0; channel < kChannels; ++channel)
            m_state.ChannelRoute[unit][slot][channel] = m_state.ChannelRoute[unit][kWorkMemory][channel];
    } else {
        for (int line = 0; line < kLines; ++line)
            m_state.LineRoute[unit][slot][line] = m_state.LineRoute[unit][kWorkMemory][line];
    }
}

void UnitFirmware::clearWork(int unit) {
    if (m_state.ReverseMode) {
        for (std::uint8_t& line : m_state.ChannelRoute[unit][kWorkMemory]) line = kNoLine;
    } else {
        for (std::uint8_t& channel : m_state.LineRoute[unit][kWorkMemory]) channel = kDisconnected;
    }
}

void UnitFirmware::reportUnsaved() {
    std::uint8_t bits = 0;
    for (int u = 0; u < kUnits; ++u) bits |= (m_state.UnsavedFlags[u] ? 1 : 0) << u;
    queueEvent(MakeEvent(EventCode::UnsavedChanged, bits));
}

void UnitFirmware::pressRoute(int unit, int row, int column) {
    if (!setRoute(unit, row, column)) return;
    queueEvent(MakeEvent(EventCode::RouteChanged, static_cast<std::uint8_t>(column),
                         static_cast<std::uint8_t>(UnitRow(unit, row))));
    m_state.UnsavedFlags[unit] = 1;
    reportUnsaved();
}

void UnitFirmware::pressRecall(int memory) {
    if (!isMemory(memory)) return;
    recallAll(memory);
    std::fill_n(m_state.UnsavedFlags, kUnits, 0);
    queueEvent(MakeEvent(EventCode::MemoryRecalled, 0, static_cast<std::uint8_t>(memory)));
    reportUnsaved();
}

void UnitFirmware::pressStore(int unit, int memory) {
    if (!isMemory(memory) || !hasUnit(unit)) return;
    // On the panel every unit moves onto the memory but only this unit's work memory is written;
    // the others keep working on theirs, as the host does with the event.
    copyWorkInto(unit, memory);
    std::fill_n(m_state.CurrentMemory, kUnits, static_cast<std::uint8_t>(memory));
    m_state.UnsavedFlags[unit] = 0;
    queueEvent(MakeEvent(EventCode::MemoryStored, static_cast<std::uint8_t>(unit),
                         static_cast<std::uint8_t>(memory)));
    reportUnsaved();
}

void UnitFirmware::pressClear(int unit) {
    if (!hasUnit(unit)) return;
    clearWork(unit);
    m_state.UnsavedFlags[unit] = 1;
    queueEvent(MakeEvent(EventCode::MemoryCleared, static_cast<std::uint8_t>(unit)));
    reportUnsaved();
}

void UnitFirmware::pressReverse(bool reverse) {
    m_state.ReverseMode = reverse ? 1 : 0;
    queueEvent(MakeEvent(EventCode::ReverseChanged, reverse ? 1 : 0));
}

void UnitFirmware::replaceConfiguration(const MatrixState& state) {
    const std::uint8_t slaves = m_state.SlaveCount;
    m_state = state;
    m_state.SlaveCount = slaves;
    queueEvent(MakeEvent(EventCode::ImageChanged));
}

}  // namespace corvane
