#include <QPointer>

#include "app/corvane.h"
#include "view/linestext.h"

namespace corvane {

void TCorvane_Form::OpenNamesDialog() {
    // Insert pressed inside the open dialog reaches its field and opens nothing.
    if (ColumnMoveFlag || LineNames) return;
    const QPointer<TLineNames> dialog = new TLineNames(m_names, m_state, this);
    LineNames = dialog;
    const int result = dialog->exec();
    // The dialog is gone if the window was torn down while it ran.
    if (!dialog) return;
    delete dialog;
    LineNames = nullptr;
    if (result != QDialog::Accepted) return;
    m_names.shareAfterEdit(m_state.SelectedUnit, m_state.MatrixLayout);
    RefreshGrid();
}

}  // namespace corvane
