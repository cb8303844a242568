#include "model/gridcontent.h"

namespace corvane::grid {

std::string ColumnCaption(const MatrixModel& m, const NameTable& n, int unit, int slot, int column,
                          bool reverse) {
    std::string caption = n.lineName(unit, column);
    if (!reverse && column < kLines) caption += " - " + n.channelName(unit, m.lineRoute(unit, slot, column));
    return caption;
}

std::string RowCaption(const MatrixModel& m, const NameTable& n, int unit, int slot, int row, bool reverse) {
    std::string caption = n.channelName(unit, row);
    if (reverse && row < kChannels) caption += " - " + n.lineName(unit, m.channelRoute(unit, slot, row));
    return caption;
}

std::string ConnectedHint(const std::string& lineName, const std::string& rowCaption) {
    return lineName + "-" + rowCaption + " | " + lineName + " connected with " + rowCaption;
}

}  // namespace corvane::grid
