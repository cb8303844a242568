#include <QPushButton>

#include "app/corvane.h"
#include "view/angledlabel.h"
#include "view/bevelpanel.h"
#include "view/crosspointbutton.h"
#include "view/fonts.h"
#include "model/gridcontent.h"
#include "view/hint.h"

namespace corvane {

namespace {

const QColor kLabelColor(0, 128, 128);
const QColor kFocusColor(255, 255, 0);

QString Text(const std::string& latin1) {
    return QString::fromLatin1(latin1.data(), qsizetype(latin1.size()));
}

AngledLabel* GridLabel(QWidget* parent) {
    auto* label = new AngledLabel(parent);
    QFont font(QStringLiteral("Arial Black"));
    font.setPointSize(13);
    font.setWeight(QFont::Black);
    label->setLabelFont(font);
    label->setColor(kLabelColor);
    label->setShadowed(true);
    return label;
}

void ShowCrosspoint(CrosspointButton* button, bool connected, const QString& hint) {
    button->setConnected(connected);
    SetHint(button, hint);
}

}  // namespace

CrosspointButton* TCorvane_Form::crosspointButton(int row, int column) const {
    return static_cast<CrosspointButton*>(CrosspointGrid[row * grid::kColumns + column]);
}

void TCorvane_Form::CreateGrid() {
    for (int r = 0; r < grid::kRows; ++r) {
        RowLabels[r] = GridLabel(Panel1);
        for (int c = 0; c < grid::kColumns; ++c) {
            if (r == 0) {
                ColumnLabels[c] = GridLabel(Panel1);
                ColumnLabels[c]->resize(263, 225);
                ColumnLabels[c]->setAngle(40);
                ColumnLabels[c]->setOrigin(QPoint(-6, 210));
            }
            const int tag = r * grid::kColumns + c;
            auto* button = new CrosspointButton(tag, Panel1);
            button->resize(30, 26);
            connect(button, &QPushButton::clicked, this, [this, tag] { CrosspointClick(tag); });
            connect(button, &CrosspointButton::focusEntered, &m_gridReceiver,
                    [this](int t) { CrosspointEnter(t); });
            connect(button, &CrosspointButton::focusExited, &m_gridReceiver,
                    [this](int t) { CrosspointExit(t); });
            CrosspointGrid[tag] = button;
        }
    }
    // Creation order is the focus order; the stacking puts every button above every label.
    for (QPushButton* button : CrosspointGrid) button->raise();
    ArrangeGrid();
}

void TCorvane_Form::ArrangeGrid() {
    const bool reverse = m_state.ReverseMode != 0;
    for (int r = 0; r < grid::kRows; ++r)
        for (int c = 0; c < grid::kColumns; ++c) {
            QPushButton* button = crosspoint(r, c);
            button->move(reverse ? QPoint(7 + 30 * c, 300 + 24 * r) : QPoint(82 + 30 * c, 278 + 24 * r));
            button->setVisible(!grid::IsHidden(r, c, reverse));
        }
    for (int c = 0; c < grid::kColumns; ++c) {
        ColumnLabels[c]->move(reverse ? QPoint(15 + 30 * c, 74) : QPoint(90 + 30 * c, 52));
        ColumnLabels[c]->setVisible(reverse || c != grid::kNoLineColumn);
    }
    for (int r = 0; r < grid::kRows; ++r) {
        AngledLabel* label = RowLabels[r];
        if (reverse) {
            label->setGeometry(521, 57 + 24 * r, 365, 365);
            label->setAngle(40);
            label->setOrigin(QPoint(-7, 250));
        } else {
            label->setGeometry(566, 278 + 24 * r, 300, 100);
            label->setAngle(0);
            label->setOrigin(QPoint(0, 0));
        }
        label->setVisible(!reverse || r != grid::kDisconnectedRow);
    }
}

void TCorvane_Form::ApplyCrosspoint(std::uint8_t row, std::uint8_t column) {
    // Any change of the grid ends an armed function-key step at its next tick.
    BlinkCount = 50;
    const int u = grid::ShownUnit(m_state);
    const bool reverse = m_state.ReverseMode != 0;
    const grid::RouteChange change = grid::SetWorkRoute(m_state, u, row, column, reverse);
    if (!change.changed) return;
    if (FunctionMode == PreviewShow) {
        // The grid shows a stored memory but the change is to the work memory: end the preview
        // now, so that the grid never shows a mixture of the two.
        FunctionMode = Idle;
        FunctionKeyEnd(PreviewShow);
        RefreshUnitPanel(u);
        return;
    }

    const std::string line = m_names.lineName(u, column);
    if (reverse) {
        if (change.previous >= 0) ShowCrosspoint(crosspointButton(row, change.previous), false, {});
        RowLabels[row]->setCaption(Text(grid::RowCaption(m_state, m_names, u, kWorkMemory, row, true)));
    } else {
        if (change.previous >= 0) ShowCrosspoint(crosspointButton(change.previous, column), false, {});
        ColumnLabels[column]->setCaption(
            Text(grid::ColumnCaption(m_state, m_names, u, kWorkMemory, column, false)));
    }
    const std::string rowCaption = RowLabels[row]->caption().toLatin1().toStdString();
    ShowCrosspoint(crosspointButton(row, column), true, Text(grid::ConnectedHint(line, rowCaption)));
    RefreshUnitPanel(u);
}

void TCorvane_Form::RefreshGrid() {
    const int u = grid::ShownUnit(m_state);
    const bool reverse = m_state.ReverseMode != 0;
    const int slot = grid::ShownSlot(FunctionMode == PreviewShow, PreviewMemory);
    // Normal routing leaves the hidden column 16 alone, reverse routing the hidden row 4.
    const int rows = reverse ? grid::kRows - 1 : grid::kRows;
    const int columns = reverse ? grid::kColumns : grid::kColumns - 1;
    for (int r = 0; r < rows; ++r) {
        const std::string rowCaption = grid::RowCaption(m_state, m_names, u, slot, r, reverse);
        RowLabels[r]->setCaption(Text(rowCaption));
        for (int c = 0; c < columns; ++c) {
            const bool connected = grid::IsConnected(m_state, u, slot, r, c, reverse);
            const QString hint =
                connected ? Text(grid::ConnectedHint(m_names.lineName(u, c), rowCaption)) : QString();
            ShowCrosspoint(crosspointButton(r, c), connected, hint);
            if (r == 0)
                ColumnLabels[c]->setCaption(Text(grid::ColumnCaption(m_state, m_names, u, slot, c, reverse)));
        }
    }
}

void TCorvane_Form::CrosspointClick(int tag) {
    if (tag < 0 || tag >= grid::kCrosspoints) return;
    const int row = tag / grid::kColumns;
    const int column = tag % grid::kColumns;
    ApplyCrosspoint(static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(column));
    if (grid::IsHidden(row, column, m_state.ReverseMode != 0)) return;
    m_link.sendCommand(RequestCode::SetRoute, UnitRow(grid::ShownUnit(m_state), row),
                       static_cast<std::uint16_t>(column));
}

void TCorvane_Form::CrosspointEnter(int tag) {
    // Only this column is yellow: a move made while the window was inactive reported no exit.
    if (!ColumnMoveFlag)
        for (int c = 0; c < grid::kColumns; ++c)
            ColumnLabels[c]->setColor(c == tag % grid::kColumns ? kFocusColor : kLabelColor);
    ColumnMoveFlag = 0;
}

void TCorvane_Form::CrosspointExit(int tag) {
    if (!ColumnMoveFlag) ColumnLabels[tag % grid::kColumns]->setColor(kLabelColor);
}

}  // namespace corvane
