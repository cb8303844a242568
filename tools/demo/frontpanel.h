#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;

namespace corvane {

class DeviceModel;
class PanelPictures;
class RouteKeyGrid;
struct UsbRequest;

// The units' own front panels, for the demo: a person operates the "hardware" here and watches
// the program follow. It talks only to the virtual unit, never to the main window.
class FrontPanel : public QWidget {
    Q_OBJECT
  public:
    explicit FrontPanel(std::shared_ptr<DeviceModel> unit, QWidget* parent = nullptr);
    ~FrontPanel() override;

    // The crosspoint keys of a unit's panel, one widget, and where in it a key is: rows are
    // channels (4 the Disconnected row), columns lines (16 the no-line column), as on the unit.
    QWidget* routeKeys(int unit) const;
    QPoint routeKeyCentre(int unit, int row, int column) const;
    bool routeKeyLit(int unit, int row, int column) const;
    QPushButton* memoryKey(int unit, int memory) const { return m_memoryKeys[unit][memory]; }
    QListWidget* requestList() const { return m_requests; }
    QPushButton* unplugButton() const { return m_unplug; }

    // Brings every key in step with the unit; runs after a key of its own and after the requests
    // of the host that can change the unit.
    void refresh();
    // Shows the panels beside the program's main window once that has its place on the screen.
    // They do not keep the program running: closing the main window ends it, panels open or not.
    void showBeside(QWidget& mainWindow);

  private:
    QWidget* buildUnit(int unit);
    void memoryPressed(int unit, int memory);
    void requestAnswered(const UsbRequest& request);

    std::shared_ptr<DeviceModel> m_unit;
    std::unique_ptr<PanelPictures> m_pictures;
    std::array<RouteKeyGrid*, 4> m_keyGrids{};
    std::array<std::array<QPushButton*, 5>, 4> m_memoryKeys{};
    std::array<QPushButton*, 4> m_storeKeys{};
    QPushButton* m_reverse = nullptr;
    QPushButton* m_unplug = nullptr;
    QListWidget* m_requests = nullptr;
    QLabel* m_status = nullptr;
    int m_rowNameWidth = 0;
    int m_storeArmedUnit = -1;  // STORE pressed on this unit: the next memory key stores
    bool m_refreshQueued = false;
};

}  // namespace corvane
