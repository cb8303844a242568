#include "model/gridcontent.h"

namespace corvane::grid {

namespace {
// The model as seen in the orientation the caller names, which is the model's own in the program.
MatrixModel Oriented(const MatrixState& s, bool reverse) {
    MatrixModel model(s);
    model.setReverse(reverse);
    return model;
}
}  // namespace

bool IsConnected(const MatrixState& s, int unit, int slot, int row, int column, bool reverse) {
    return Oriented(s, reverse).isLit(unit, slot, row, column);
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
    MatrixModel model = Oriented(s, reverse);
    const RouteChange change = model.setWorkRoute(unit, row, column);
    const std::uint8_t orientation = s.ReverseMode;
    s = model.record();
    s.ReverseMode = orientation;
    return change;
}

}  // namespace corvane::grid
