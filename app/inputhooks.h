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
    bool moveGridPanelFocus(QWidget* from, bool forward);
    void runKey(const KeyRow& row, QKeyEvent* key, QObject* target);
    void resumeAfterDialog(QKeyEvent* key, QObject* target);
    void updatePointerTip();

    MainWindow& m_window;
    const QKeyEvent* m_lastKey = nullptr;  // the last key event the hook saw, and where
    QPointer<QObject> m_lastReached;
    KeyStrokes m_strokes;
    bool m_newStroke = false;        // whether the press being handled starts a stroke
    QPointer<QWidget> m_tipControl;  // the control under the pointer, as far as tips know
    bool m_tipUpdatePending = false;
};

}  // namespace corvane
