#include "model/matrixmodel.h"

#include <algorithm>

namespace corvane {

void MatrixModel::selectUnit(int unit) {
    if (IsUnit(unit)) m_record.SelectedUnit = static_cast<std::uint8_t>(unit);
}

bool MatrixModel::lowerSelectionTo(int highestUnit) {
    if (m_record.SelectedUnit <= highestUnit) return false;
    m_record.SelectedUnit = static_cast<std::uint8_t>(highestUnit);
    return true;
}

void MatrixModel::setUnsavedBits(std::uint8_t bits) {
    for (int u = 0; u < kUnits; ++u) m_record.UnsavedFlags[u] = (bits >> u) & 1;
}

bool MatrixModel::isCrosspoint(int row, int column) const {
    return row >= 0 && row < grid::kRows && column >= 0 && column < grid::kColumns &&
           !grid::IsHidden(row, column, isReverse());
}

bool MatrixModel::isLit(int unit, int slot, int row, int column) const {
    if (!IsUnit(unit) || slot < 0 || slot >= kSlots || !isCrosspoint(row, column)) return false;
    if (isReverse()) return m_record.ChannelRoute[unit][slot][row] == column;
    return m_record.LineRoute[unit][slot][column] == row;
}

RouteChange MatrixModel::setWorkRoute(int unit, int row, int column) {
    RouteChange change;
    if (!IsUnit(unit) || !isCrosspoint(row, column)) return change;
    const bool reverse = isReverse();
    std::uint8_t& route = reverse ? m_record.ChannelRoute[unit][kWorkMemory][row]
                                  : m_record.LineRoute[unit][kWorkMemory][column];
    const int target = reverse ? column : row;
    if (route == target) return change;
    const int limit = reverse ? grid::kColumns : grid::kRows;
    change.previous = route < limit ? route : -1;
    change.changed = true;
    route = static_cast<std::uint8_t>(target);
    return change;
}

void MatrixModel::copySlot(int unit, int from, int to) {
    if (isReverse()) {
        std::copy_n(m_record.ChannelRoute[unit][from], kChannels, m_record.ChannelRoute[unit][to]);
    } else {
        std::copy_n(m_record.LineRoute[unit][from], kLines, m_record.LineRoute[unit][to]);
    }
}

void MatrixModel::recallMemory(int memory) {
    for (int u = 0; u < kUnits; ++u) {
        setCurrentMemory(u, memory);
        copySlot(u, memory + 1, kWorkMemory);
    }
}

void MatrixModel::storeMemory(int unit, int memory) {
    copySlot(unit, kWorkMemory, memory + 1);
}

void MatrixModel::clearWorkMemory(int unit) {
    if (isReverse()) {
        std::fill_n(m_record.ChannelRoute[unit][kWorkMemory], kChannels, kNoLine);
    } else {
        std::fill_n(m_record.LineRoute[unit][kWorkMemory], kLines, kDisconnected);
    }
}

void MatrixModel::clear() {
    const std::uint8_t slaveCount = m_record.SlaveCount;
    m_record = MatrixState{};
    for (auto& unit : m_record.LineRoute)
        for (auto& slot : unit) std::fill_n(slot, kLines, kDisconnected);
    for (auto& unit : m_record.ChannelRoute)
        for (auto& slot : unit) std::fill_n(slot, kChannels, kNoLine);
    m_record.SlaveCount = slaveCount;
}

}  // namespace corvane
