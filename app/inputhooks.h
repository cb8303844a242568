#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace corvane {

class MainWindow;

// The main window's application-wide hooks: the keys of the grid panel (arrows, Space and Enter,
// Insert for the names dialog) and the status tip of the control under the pointer.
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
    void updatePointerTip();

    MainWindow& m_window;
    const QKeyEvent* m_insertPress = nullptr;  // the last Insert press the hook saw, and where
    QPointer<QObject> m_insertReached;
    QPointer<QWidget> m_tipControl;  // the control under the pointer, as far as tips know
    bool m_tipUpdatePending = false;
};

}  // namespace corvane
