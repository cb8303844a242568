#include "view/crosspointgrid.h"

#include <utility>

#include "model/gridcontent.h"
#include "model/matrixmodel.h"
#include "view/angledlabel.h"
#include "view/crosspointbutton.h"
#include "view/fonts.h"
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
    label->setLabelFont(PointFont(QStringLiteral("Arial Black"), 13, QFont::Black));
    label->setColor(kLabelColor);
    label->setShadowed(true);
    return label;
}

// What a screen reader says for a crosspoint: the line and channel by their names and whether
// they are connected. The numbers, which names need not carry, are in the description.
struct Spoken {
    QString name;
    QString description;
};

Spoken SpokenCrosspoint(const std::string& lineName, const std::string& channelName, int unit, bool reverse,
                        int row, int column, bool connected) {
    const QString line = Text(lineName);
    const QString channel = Text(channelName);
    const QString lineNumber =
        column == kLines ? QStringLiteral("no line") : QStringLiteral("line %1").arg(column + 1);
    const QString channelNumber =
        row == kChannels ? QStringLiteral("no channel") : QStringLiteral("channel %1").arg(row + 1);
    Spoken s;
    if (reverse) {
        s.name = column == kLines
                     ? channel + QStringLiteral(", ") + (line.isEmpty() ? QStringLiteral("no line") : line)
                     : channel + QStringLiteral(" from ") + line;
        s.description = QStringLiteral("Unit %1, %2, %3").arg(unit + 1).arg(channelNumber, lineNumber);
    } else {
        s.name = row == kChannels ? line + QStringLiteral(", ") + channel
                                  : line + QStringLiteral(" to ") + channel;
        s.description = QStringLiteral("Unit %1, %2, %3").arg(unit + 1).arg(lineNumber, channelNumber);
    }
    s.name += connected ? QStringLiteral(", connected") : QStringLiteral(", not connected");
    return s;
}

}  // namespace

CrosspointGrid::CrosspointGrid(QWidget* panel) {
    for (int r = 0; r < grid::kRows; ++r) {
        m_rowLabels[r] = GridLabel(panel);
        for (int c = 0; c < grid::kColumns; ++c) {
            if (r == 0) {
                m_columnLabels[c] = GridLabel(panel);
                m_columnLabels[c]->resize(263, 225);
                m_columnLabels[c]->setAngle(40);
                m_columnLabels[c]->setOrigin(QPoint(-6, 210));
            }
            const int tag = r * grid::kColumns + c;
            auto* button = new CrosspointButton(tag, panel);
            button->resize(30, 26);
            connect(button, &QPushButton::clicked, this, [this, r, c] { Q_EMIT clicked(r, c); });
            connect(button, &CrosspointButton::focusEntered, this, &CrosspointGrid::focusEntered);
            connect(button, &CrosspointButton::focusExited, this, &CrosspointGrid::focusExited);
            m_buttons[tag] = button;
        }
    }
    // Creation order is the focus order; the stacking puts every button above every label.
    for (CrosspointButton* button : m_buttons) button->raise();
}

CrosspointButton* CrosspointGrid::button(int row, int column) const {
    return m_buttons.at(static_cast<std::size_t>(row * grid::kColumns + column));
}

void CrosspointGrid::arrange(bool reverse) {
    for (int r = 0; r < grid::kRows; ++r)
        for (int c = 0; c < grid::kColumns; ++c) {
            CrosspointButton* b = button(r, c);
            b->move(reverse ? QPoint(7 + 30 * c, 300 + 24 * r) : QPoint(82 + 30 * c, 278 + 24 * r));
            b->setVisible(!grid::IsHidden(r, c, reverse));
        }
    for (int c = 0; c < grid::kColumns; ++c) {
        m_columnLabels[c]->move(reverse ? QPoint(15 + 30 * c, 74) : QPoint(90 + 30 * c, 52));
        m_columnLabels[c]->setVisible(reverse || c != grid::kNoLineColumn);
    }
    for (int r = 0; r < grid::kRows; ++r) {
        AngledLabel* label = m_rowLabels[r];
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

void CrosspointGrid::showAll(const MatrixModel& model, const NameTable& names, int unit, int slot) {
    const bool reverse = model.isReverse();
    // Normal routing leaves the hidden column 16 alone, reverse routing the hidden row 4.
    const int rows = reverse ? grid::kRows - 1 : grid::kRows;
    const int columns = reverse ? grid::kColumns : grid::kColumns - 1;
    for (int r = 0; r < rows; ++r) {
        const std::string rowCaption = grid::RowCaption(model, names, unit, slot, r, reverse);
        m_rowLabels[r]->setCaption(Text(rowCaption));
        for (int c = 0; c < columns; ++c) {
            const bool connected = model.isLit(unit, slot, r, c);
            const QString hint =
                connected ? Text(grid::ConnectedHint(names.lineName(unit, c), rowCaption)) : QString();
            showCrosspoint(names, unit, reverse, r, c, connected, hint);
            if (r == 0)
                m_columnLabels[c]->setCaption(
                    Text(grid::ColumnCaption(model, names, unit, slot, c, reverse)));
        }
    }
}

void CrosspointGrid::showRoute(const MatrixModel& model, const NameTable& names, int unit, int row,
                               int column, int previous) {
    const std::string line = names.lineName(unit, column);
    const bool reverse = model.isReverse();
    if (reverse) {
        if (previous >= 0) showCrosspoint(names, unit, reverse, row, previous, false, {});
        m_rowLabels[row]->setCaption(Text(grid::RowCaption(model, names, unit, kWorkMemory, row, true)));
    } else {
        if (previous >= 0) showCrosspoint(names, unit, reverse, previous, column, false, {});
        m_columnLabels[column]->setCaption(
            Text(grid::ColumnCaption(model, names, unit, kWorkMemory, column, false)));
    }
    const std::string rowCaption = m_rowLabels[row]->caption().toLatin1().toStdString();
    showCrosspoint(names, unit, reverse, row, column, true, Text(grid::ConnectedHint(line, rowCaption)));
}

void CrosspointGrid::showCrosspoint(const NameTable& names, int unit, bool reverse, int row, int column,
                                    bool connected, const QString& hint) {
    const auto tag = static_cast<std::size_t>(row * grid::kColumns + column);
    CrosspointButton* button = m_buttons[tag];
    button->setConnected(connected);
    // A hint is a dynamic property, and setting one sends an event even when it is unchanged;
    // most redraws change no hint at all.
    if (m_hints[tag] != hint) {
        m_hints[tag] = hint;
        SetHint(button, hint);
    }
    // Setting a name announces it to assistive technology, so only a change sets it. The
    // description is the numbers, not the hint's long part.
    SpokenFrom from{unit, reverse, connected, names.lineName(unit, column), names.channelName(unit, row)};
    if (m_spokenFrom[tag] == from) return;
    const Spoken spoken = SpokenCrosspoint(from.line, from.channel, unit, reverse, row, column, connected);
    m_spokenFrom[tag] = std::move(from);
    if (button->accessibleName() != spoken.name) button->setAccessibleName(spoken.name);
    if (button->accessibleDescription() != spoken.description)
        button->setAccessibleDescription(spoken.description);
}

void CrosspointGrid::moveInColumn(const CrosspointButton* from, bool up, bool reverse) {
    m_columnMoving = true;
    button(grid::ColumnMoveTarget(from->row(), up, reverse), from->column())->setFocus(Qt::OtherFocusReason);
}

void CrosspointGrid::focusEntered(int tag) {
    // Only this column is yellow: a move made while the window was inactive reported no exit.
    if (!m_columnMoving)
        for (int c = 0; c < grid::kColumns; ++c)
            m_columnLabels[c]->setColor(c == tag % grid::kColumns ? kFocusColor : kLabelColor);
    m_columnMoving = false;
}

void CrosspointGrid::focusExited(int tag) {
    if (!m_columnMoving) m_columnLabels[tag % grid::kColumns]->setColor(kLabelColor);
}

}  // namespace corvane
