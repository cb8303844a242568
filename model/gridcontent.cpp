#include "model/gridcontent.h"

namespace corvane::grid {

namespace {
bool InGrid(int row, int column) {
    return row >= 0 && row < kRows && column >= 0 && column < kColumns;
}
}  // namespace

bool IsConnected(const MatrixState& s, int unit, int slot, int row, int column, bool reverse) {
    if (!InGrid(row, column)) return false;
    if (reverse) return row < kChannels && s.ChannelRoute[unit][slot][row] == column;
    return column < kLines && s.LineRoute[unit][slot][column] == row;
}

std::string ColumnCaption(const MatrixState& s, const NameTable& n, int unit, int slot, int column,
                          bool reverse) {
    std::string caption = n.lineName(unit, column);
    if (!reverse && column < kLines) caption += " - " + n.channelName(unit, s.LineRoute[unit][slot][column]);
    return caption;
}

std::string RowCaption(const MatrixState& s, const NameTable& n, int unit, int slot, int row, bool reverse) {
    std::string caption = n.channelName(unit, row);
    if (reverse && row < kChannels) caption += " - " + n.lineName(unit, s.ChannelRoute[unit][slot][row]);
    return caption;
}

std::string ConnectedHint(const std::string& lineName, const std::string& rowCaption) {
    return lineName + "-" + rowCaption + " | " + lineName + " connected with " + rowCaption;
}

RouteChange SetWorkRoute(MatrixState& s, int unit, int row, int column, bool reverse) {
    RouteChange change;
    if (!InGrid(row, column) || IsHidden(row, column, reverse)) return change;
    std::uint8_t& route =
        reverse ? s.ChannelRoute[unit][kWorkMemory][row] : s.LineRoute[unit][kWorkMemory][column];
    const int target = reverse ? column : row;
    if (route == target) return change;
    const int limit = reverse ? kColumns : kRows;
    change.previous = route < limit ? route : -1;
    change.changed = true;
    route = static_cast<std::uint8_t>(target);
    return change;
}

}  // namespace corvane::grid
