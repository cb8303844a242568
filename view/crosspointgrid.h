#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <string>

#include "model/matrixmodel.h"

namespace corvane {

class AngledLabel;
class CrosspointButton;
struct NameTable;
class MatrixModel;

// The crosspoint grid on the grid panel: 5 rows of 17 buttons with their row and column labels,
// laid out for normal or reverse routing. It shows what it is given and reports clicks; the label
// of the column with the focus is yellow.
class CrosspointGrid : public QObject {
    Q_OBJECT
  public:
    // Creates the labels and buttons on `panel`; their creation order is the focus order. The
    // grid itself is no child of the panel: the window deletes it first, so that the focus changes
    // of its buttons while they are torn down reach no one.
    explicit CrosspointGrid(QWidget* panel);

    CrosspointButton* button(int row, int column) const;
    AngledLabel* rowLabel(int row) const { return m_rowLabels.at(static_cast<std::size_t>(row)); }
    AngledLabel* columnLabel(int column) const { return m_columnLabels.at(static_cast<std::size_t>(column)); }

    // Places buttons and labels for the orientation; the hidden row or column is not shown.
    void arrange(bool reverse);
    // Every button and label for `unit`, from memory slot `slot` (kWorkMemory or a memory + 1).
    void showAll(const MatrixModel& model, const NameTable& names, int unit, int slot);
    // One route of the work memory changed; `previous` is the crosspoint lit before, or -1.
    void showRoute(const MatrixModel& model, const NameTable& names, int unit, int row, int column,
                   int previous);
    // Up or Down from `from` within its column, wrapping; the column label stays yellow.
    void moveInColumn(const CrosspointButton* from, bool up, bool reverse);
    // True while the focus moves within a column by Up or Down.
    bool columnMoving() const { return m_columnMoving; }

  Q_SIGNALS:
    void clicked(int row, int column);

  private:
    void showCrosspoint(const NameTable& names, int unit, bool reverse, int row, int column, bool connected,
                        const QString& hint);
    void focusEntered(int tag);
    void focusExited(int tag);

    std::array<CrosspointButton*, grid::kCrosspoints> m_buttons{};
    std::array<QString, grid::kCrosspoints> m_hints;  // the hint each button was given last
    // What each button's accessible texts were made from, so that a redraw that changes nothing
    // builds no text.
    struct SpokenFrom {
        int unit = -1;
        bool reverse = false;
        bool connected = false;
        std::string line;
        std::string channel;
        bool operator==(const SpokenFrom&) const = default;
    };
    std::array<SpokenFrom, grid::kCrosspoints> m_spokenFrom;
    std::array<AngledLabel*, grid::kColumns> m_columnLabels{};
    std::array<AngledLabel*, grid::kRows> m_rowLabels{};
    bool m_columnMoving = false;
};

}  // namespace corvane
