#pragma once

#include <QDialog>

#include <array>

#include "model/nametable.h"

class QLineEdit;
class QPushButton;

namespace corvane {

class MatrixModel;

// The "Edit Line Names" dialog: the 16 line names and 4 channel names of the selected unit. It
// shows the names of the unit selected when it is created; on OK the caller stores what was
// typed into the unit selected at that moment, shares it and redraws.
class NamesDialog : public QDialog {
    Q_OBJECT
  public:
    NamesDialog(const NameTable& names, const MatrixModel& model, QWidget* parent = nullptr);

    // The 20 fields as typed, in the single-byte text the names are stored in.
    UnitNames enteredNames() const;

    QLineEdit* lineEdit(int line) const { return m_lineEdits.at(static_cast<std::size_t>(line)); }
    QLineEdit* channelEdit(int channel) const { return m_channelEdits.at(static_cast<std::size_t>(channel)); }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

  private:
    std::array<QLineEdit*, kLines> m_lineEdits{};
    std::array<QLineEdit*, kChannels> m_channelEdits{};
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

}  // namespace corvane
