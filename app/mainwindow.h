#pragma once

#include <QMainWindow>
#include <QRect>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/filedialogs.h"
#include "controller/matrixcontroller.h"

class QAbstractButton;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace corvane {

class AngledLabel;
class BevelPanel;
class CrosspointGrid;
class FunctionsPanel;
class InputHooks;
class Led;
class NamesDialog;
class PictureToolTips;
class RecallPanel;
class ScreenUpdates;
class UnitPanel;
class UsbInterface;

// Controls are placed in the coordinates of the window's client area, under the menu bar (24
// pixels) and the tool bar (28 pixels); the central widget starts below both.
inline constexpr int kCentralTop = 52;
inline QRect ClientRect(int left, int top, int width, int height) {
    return QRect(left, top - kCentralTop, width, height);
}

// The status bar's panels: memory, unit, status and, last, the long hint of the control under the
// pointer.
inline constexpr int kStatusPanels = 4;
inline constexpr int kHintStatusPanel = 3;

// The per-machine folder for application data shared by all users.
std::string CommonDataFolder();

// Where the window finds what the platform would otherwise give it. The programs use the
// defaults; tests point them at temporary folders and drive the timers themselves.
struct WindowOptions {
    std::string manufacturer;      // the unit's manufacturer string
    std::string commonDataFolder;  // the settings file lives in <this>/QUENDA
    std::string currentDirectory;  // initial folder of the file dialogs; empty: unavailable
    bool timersRun = true;         // false: ticks only when a test calls the controller's
    static WindowOptions Defaults();
};

// The window's commands, menus and tool bar.
struct WindowCommands {
    QAction* newFile = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* exit = nullptr;
    QAction* keyboard = nullptr;
    QAction* about = nullptr;
    std::array<QAction*, kRecentFiles> recentFiles{};
    std::array<QAction*, kLayouts> arrangements{};
    QMenu* fileMenu = nullptr;
    QMenu* recentFilesMenu = nullptr;
    QMenu* matrixMenu = nullptr;
    QToolBar* toolBar = nullptr;
};

// The main window: builds the widgets and turns the operator's input into the controller's
// intents; ScreenUpdates repaints it from the controller's signals.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(UsbInterface& usb, Notifier& notifier, WindowOptions options = WindowOptions::Defaults(),
               QWidget* parent = nullptr);
    ~MainWindow() override;

    MatrixController& controller() { return m_controller; }
    // Whether start-up found and read the unit; without it the program quits.
    StartResult startResult() const { return m_startResult; }
    // Keeps the window's placement and shuts the controller down: the unit closed, the settings
    // written. The destructor does it if nobody did before.
    void shutDown();

    // The views, for tests and tools.
    BevelPanel* gridPanel() const { return m_gridPanel; }
    CrosspointGrid& grid() const { return *m_grid; }
    UnitPanel* unitPanel(int unit) const { return m_unitPanels.at(static_cast<std::size_t>(unit)); }
    RecallPanel* recallPanel() const { return m_recallPanel; }
    FunctionsPanel* functionsPanel() const { return m_functionsPanel; }
    QPushButton* okKey() const { return m_okKey; }
    // The tag a key of the FUNCTIONS panel or OK (kOkTag) gives the controller; nothing for any
    // other button.
    std::optional<int> functionKeyTag(const QAbstractButton* key) const;
    Led* okLamp() const { return m_okLamp; }
    AngledLabel* promptTitle() const { return m_promptTitle; }
    AngledLabel* promptText() const { return m_promptText; }
    QLabel* statusPanel(int index) const { return m_statusPanels.at(static_cast<std::size_t>(index)); }
    const WindowCommands& commands() const { return m_commands; }
    PictureToolTips* toolTips() const { return m_toolTips; }
    NamesDialog* namesDialog() const { return m_namesDialog; }
    FileDialogs& fileDialogs() { return m_fileDialogs; }

    // The File menu.
    void newFile();
    void open();
    void save();
    void saveAs();
    void openRecentFile(int index);

    // The Insert key's names dialog for the selected unit: modal; after OK the names are shared
    // with the units the arrangement joins and the grid is redrawn.
    void editNames();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void buildCommands();
    void buildPanels();

    Notifier& m_notifier;
    MatrixController m_controller;
    StartResult m_startResult = StartResult::Failed;
    FileDialogs m_fileDialogs;
    WindowCommands m_commands;
    BevelPanel* m_gridPanel = nullptr;
    std::unique_ptr<CrosspointGrid> m_grid;
    std::array<UnitPanel*, kUnits> m_unitPanels{};
    RecallPanel* m_recallPanel = nullptr;
    FunctionsPanel* m_functionsPanel = nullptr;
    QPushButton* m_okKey = nullptr;
    Led* m_okLamp = nullptr;
    AngledLabel* m_promptTitle = nullptr;
    AngledLabel* m_promptText = nullptr;
    std::array<QLabel*, kStatusPanels> m_statusPanels{};
    PictureToolTips* m_toolTips = nullptr;
    NamesDialog* m_namesDialog = nullptr;  // the one names dialog while it is open
    bool m_windowStateSaved = false;
    ScreenUpdates* m_screenUpdates = nullptr;
    InputHooks* m_inputHooks = nullptr;
};

}  // namespace corvane
