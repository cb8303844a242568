#pragma once

#include <QDialog>

#include <array>

#include "model/matrixstate.h"

class QLineEdit;
class QPushButton;

namespace corvane {

struct MatrixState;
struct NameTable;

// The "Edit Line Names" dialog: the 16 line names and 4 channel names of the selected unit. It
// shows the names of the unit selected when it is created and, on OK, stores the fields into the
// unit selected at that moment. Sharing with other units and redrawing are the caller's business.
class NamesDialog : public QDialog {
    Q_OBJECT
  public:
    NamesDialog(NameTable& names, const MatrixState& state, QWidget* parent = nullptr);

    // Stores the 20 fields, as typed, into the selected unit's names.
    void storeNames();

    QLineEdit* lineEdit(int line) const { return m_lineEdits.at(static_cast<std::size_t>(line)); }
    QLineEdit* channelEdit(int channel) const { return m_channelEdits.at(static_cast<std::size_t>(channel)); }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

  private:
    std::array<QLineEdit*, kLines> m_lineEdits{};
    std::array<QLineEdit*, kChannels> m_channelEdits{};
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    NameTable& m_names;
    const MatrixState& m_state;
};

}  // namespace corvane
