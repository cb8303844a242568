#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

namespace corvane {

class DeviceModel;

// The units' own front panels, for the demo: a person operates the "hardware" here and watches
// the program follow. It talks only to the virtual unit, never to the main window.
class FrontPanel : public QWidget {
    Q_OBJECT
  public:
    explicit FrontPanel(std::shared_ptr<DeviceModel> unit, QWidget* parent = nullptr);

    // The crosspoint key of a unit's panel: rows are channels (4 the Disconnected row), columns
    // lines (16 the no-line column), as on the unit.
    QToolButton* routeKey(int unit, int row, int column) const {
        return m_routeKeys[unit][row * 17 + column];
    }
    QPushButton* memoryKey(int unit, int memory) const { return m_memoryKeys[unit][memory]; }
    QListWidget* requestList() const { return m_requests; }
    QPushButton* unplugButton() const { return m_unplug; }

    // Brings every key in step with the unit; runs on a timer, as host requests change the unit too.
    void refresh();
    // Shows the panels beside the program's main window once that has its place on the screen.
    // They do not keep the program running: closing the main window ends it, panels open or not.
    void showBeside(QWidget& mainWindow);

  private:
    QWidget* buildUnit(int unit);
    void memoryPressed(int unit, int memory);

    std::shared_ptr<DeviceModel> m_unit;
    std::array<std::array<QToolButton*, 85>, 4> m_routeKeys{};
    std::array<std::array<QPushButton*, 5>, 4> m_memoryKeys{};
    std::array<QPushButton*, 4> m_storeKeys{};
    QPushButton* m_reverse = nullptr;
    QPushButton* m_unplug = nullptr;
    QListWidget* m_requests = nullptr;
    QLabel* m_status = nullptr;
    int m_storeArmedUnit = -1;  // STORE pressed on this unit: the next memory key stores
};

}  // namespace corvane
