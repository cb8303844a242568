#pragma once

#include <QObject>

#include "controller/functionkeys.h"
#include "storage/recentfiles.h"

namespace corvane {

class MainWindow;
class MatrixController;

// Where the controller's changes reach the screen: each of its signals (a route made in the grid
// or on a unit's front panel, a memory recalled, the arrangement, the blinking of the function
// keys, ...) repaints the part of the main window it concerns, reading the model afresh.
class ScreenUpdates : public QObject {
    Q_OBJECT
  public:
    explicit ScreenUpdates(MainWindow& window);

  private:
    void showCrosspoint(int row, int column, int previous);
    void showGrid();
    void showUnitMap(int unit);
    void showArrangement();
    void showIndicators();
    void showMemoryLamps();
    void showPattern(const BlinkPattern& pattern);
    void showRecentFiles(const ReopenUpdate& update);

    MainWindow& m_window;
    MatrixController& m_controller;
    bool m_gridWasHidden = false;  // the grid panel's state before a rebuild hid it
};

}  // namespace corvane
