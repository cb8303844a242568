#pragma once

#include <QIcon>
#include <QPushButton>

#include "model/matrixmodel.h"

namespace corvane {

// One button of the crosspoint grid. Its Tag is its index, row * grid::kColumns + column; it shows the lit
// lamp when connected and the unlit one otherwise, and reports gaining and losing the focus within
// its window: a menu or dialog opening over the window does not take the focus from it.
class CrosspointButton : public QPushButton {
    Q_OBJECT
  public:
    CrosspointButton(int tag, QWidget* parent);

    int tag() const { return m_tag; }
    int row() const { return m_tag / grid::kColumns; }
    int column() const { return m_tag % grid::kColumns; }
    bool isConnected() const { return m_connected; }
    void setConnected(bool connected);

  Q_SIGNALS:
    void focusEntered(int tag);
    void focusExited(int tag);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int m_tag;
    bool m_connected = false;
};

}  // namespace corvane
