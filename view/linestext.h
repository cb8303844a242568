#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;

namespace corvane {

struct MatrixState;
struct NameTable;

// The "Edit Line Names" dialog: the 16 line names and 4 channel names of the selected unit. It
// shows the names of the unit selected when it is created and, on OK, stores the fields into the
// unit selected at that moment. Sharing with other units and redrawing are the caller's business.
class TLineNames : public QDialog {
    Q_OBJECT
  public:
    TLineNames(NameTable& names, const MatrixState& state, QWidget* parent = nullptr);

    // Stores the 20 fields, as typed, into the selected unit's names.
    void BitBtn1Click();

    std::array<QLineEdit*, 16> LineasEdit{};   // LineasEdit1..LineasEdit16
    std::array<QLineEdit*, 4> ColumnasEdit{};  // ColumnasEdit1..ColumnasEdit4
    QPushButton* BitBtn1 = nullptr;            // OK
    QPushButton* BitBtn2 = nullptr;            // Cancel

  private:
    NameTable& m_names;
    const MatrixState& m_state;
};

}  // namespace corvane
