#pragma once

#include <QObject>
#include <QPointer>

#include "app/keystrokes.h"

class QKeyEvent;
class QWidget;

namespace corvane {

class MainWindow;
struct KeyRow;

// The main window's application-wide hooks: the keys of the grid panel (arrows, Space and Enter,
// Insert for the names dialog), the keys of the key table, and the status tip of the control
// under the pointer.
class InputHooks : public QObject {
    Q_OBJECT
  public:
    explicit InputHooks(MainWindow& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True when the key is consumed.
    bool handleKey(QObject* target, QKeyEvent* key);
    bool moveInGridPanel(QWidget* widget, const QKeyEvent& key);
    bool moveGridPanelFocus(QWidget* from, bool forward);
    bool click(QWidget* widget, const QKeyEvent& key, bool newStroke);
    void runKey(const KeyRow& row);
    void updatePointerTip();

    MainWindow& m_window;
    KeyStrokes m_strokes;
    QPointer<QWidget> m_tipControl;  // the control under the pointer, as far as tips know
    bool m_tipUpdatePending = false;
};

}  // namespace corvane
