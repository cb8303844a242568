#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/formtimer.h"
#include "device/configimage.h"
#include "device/devicelink.h"
#include "model/matrixstate.h"
#include "controller/functionkeys.h"
#include "model/nametable.h"
#include "storage/recentfiles.h"
#include "storage/settingsfile.h"
#include "storage/xmlfilestore.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolBar;

namespace corvane {

class AngledLabel;
class BevelPanel;
class CrosspointButton;
class Led;
class PictureHintWindow;
class THintComponent;
class UnitPanel;
class UsbInterface;

// Controls are placed in the coordinates of the window's client area, under the menu bar (24
// pixels) and the tool bar (28 pixels); the central widget starts below both.
inline constexpr int kCentralTop = 52;
inline QRect ClientRect(int left, int top, int width, int height) {
    return QRect(left, top - kCentralTop, width, height);
}

// The per-machine folder for application data shared by all users.
std::string CommonDataFolder();

// Where the window finds what the platform would otherwise give it. The programs use the
// defaults; tests point them at temporary folders and drive the timers themselves.
struct FormOptions {
    std::string manufacturer;      // the unit's manufacturer string
    std::string commonDataFolder;  // the settings file lives in <this>/QUENDA
    std::string currentDirectory;  // initial folder of the file dialogs; empty: unavailable
    bool timersRun = true;         // false: ticks only when a test calls the handlers
    static FormOptions Defaults();
};

// The main window. It owns the whole state of the program: the unit, the model of all units,
// the names, the function-key state, the grid and the timers. Its methods carry the names the
// operator-facing behaviour is known by; the logic that needs no widget lives in the core.
class TCorvane_Form : public QMainWindow {
    Q_OBJECT
  public:
    TCorvane_Form(UsbInterface& usb, Notifier& notifier, FormOptions options = FormOptions::Defaults(),
                  QWidget* parent = nullptr);
    ~TCorvane_Form() override;

    // Whether construction failed to open or read the unit; the program then quits.
    bool startupFailed() const { return m_startupFailed; }

    MatrixState& state() { return m_state; }
    NameTable& names() { return m_names; }

    // Start-up, device link and shutdown.
    void FormDestroy();
    void DecodeConfigImage(const ImageBuffer& buffer);
    void SendConfigImage();

    // Device event polling.
    void TimerComandosTimer();

    // Crosspoint grid.
    void CreateGrid();
    void ArrangeGrid();
    void ApplyCrosspoint(std::uint8_t row, std::uint8_t column);
    void RefreshGrid();
    void CrosspointClick(int tag);
    void CrosspointEnter(int tag);
    void CrosspointExit(int tag);
    QPushButton* crosspoint(int row, int column) const { return CrosspointGrid[row * 17 + column]; }
    AngledLabel* columnLabel(int column) const { return ColumnLabels[column]; }
    AngledLabel* rowLabel(int row) const { return RowLabels[row]; }

    // Unit panels and arrangements.
    void RefreshUnitPanel(int unit);
    void DrawUnitMap(int unit);
    void ApplyLayout();
    void RefreshLayoutMenu();
    void MatrixExecute(int layout);  // Matrix1Execute..Matrix8Execute with layout 0..7
    void Image1MouseDown(int unit);
    void Image1MouseMove(int unit, int x, int y, bool buttonHeld);
    void Image4MouseUp(int unit, int x, int y);
    UnitPanel* unitPanel(int unit) const { return UnitPanels[unit]; }

    // Memory recall and indicators.
    void Memory1Click(int memory);
    void RecallMemory(int memory);
    void ShowMemoryLeds();
    void ShowMemoryStatus();
    void ShowUnitStatus();
    void TimerDiferenteTimer();

    // Function keys.
    void StoreButtonClick(int tag);
    void OkButtonClick() { StoreButtonClick(4); }
    void StoreMemory(int memory);
    void StartPreview(int memory);
    void ClearWorkMemory();
    void ApplyReverseMode();

    // Matrix files and recent files.
    void FileNew1Execute();
    void FileSaveExecute();
    void FileSaveAs1Accept(const std::string& path);
    void FileOpen1Accept(const std::string& path);
    void SaveMatrixFile(const std::string& path);
    void LoadMatrixFile(const std::string& path, const char* title, int reopenIndex = -1);
    void ReopenExecute(int index);

    // Function-key state, one byte each.
    std::uint8_t FunctionMode = Idle;
    std::uint8_t BlinkCount = 0;
    std::uint8_t BlinkPhase = 0;
    std::uint8_t PreviewMemory = 0;
    std::uint8_t ColumnMoveFlag = 0;
    std::string CurrentMatrixFile = "0";

    FormTimer TimerComandos;
    FormTimer TimerDiferente;

    // Controls, under the names of the window's design.
    BevelPanel* Panel1 = nullptr;
    BevelPanel* Panel2 = nullptr;
    BevelPanel* Panel3 = nullptr;
    std::array<QPushButton*, 5> Memory{};  // Memory1..Memory5
    std::array<Led*, 12> Leds{};           // Led1..Led11 at indexes 1..11
    QPushButton* StoreButton = nullptr;
    QPushButton* PreviewButton = nullptr;
    QPushButton* ClearButton = nullptr;
    QPushButton* ReverseButton = nullptr;
    QPushButton* OkButton = nullptr;
    AngledLabel* ActionText1 = nullptr;
    AngledLabel* ActionText2 = nullptr;
    std::array<QLabel*, 4> StatusPanels{};
    std::array<UnitPanel*, 4> UnitPanels{};  // Imagen1..Imagen4
    QAction* FileNew1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QAction* FileSave = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileExit1 = nullptr;
    std::array<QAction*, 5> Reopen{};
    std::array<QAction*, 8> MatrixCommands{};  // Matrix1..Matrix8
    QMenu* ReopenMenu = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Steps of construction, each in the file of its subsystem.
    void BuildWindow();
    void BuildMemoryPanel();
    void BuildFunctionPanel();
    void BuildUnitPanels();
    void BringUnitPanelsToFront();
    void InstallHints();
    void OpenSettings();
    void LoadRecentFiles();
    void LoadArrangement();
    void LoadNames();
    void SaveSettings();
    void RestoreWindowState();
    void SaveWindowState();
    // The application-wide key hook; true when the key is consumed.
    bool AppMessageHandler(QObject* target, QKeyEvent* key);
    const QKeyEvent* m_insertPress = nullptr;  // the last Insert press the hook saw, and where
    QPointer<QObject> m_insertReached;
    void EndArmedStep();

    UsbInterface& m_usb;
    Notifier& m_notifier;
    FormOptions m_options;
    std::string m_dialogFolder;  // initial folder of the file dialogs
    DeviceLink m_link;
    MatrixState m_state{};
    NameTable m_names{};
    bool m_startupFailed = false;
    bool m_destroyed = false;
    bool m_windowStateSaved = false;

    std::unique_ptr<TXmlFileStore> XmlFileStore;
    std::unique_ptr<SettingsFile> m_settings;
    RecentFiles m_recentFiles;

    std::array<QPushButton*, 85> CrosspointGrid{};
    std::array<AngledLabel*, 17> ColumnLabels{};
    std::array<AngledLabel*, 5> RowLabels{};
    QActionGroup* MatrixGroup = nullptr;
    int PressedUnitImage = -1;  // unit whose picture took a mouse press; -1 for none

    // Main window, hints and grid.
    // The application's current hint changed: status panel 3 shows it.
    void AppHintHandler(const QString& hint);
    void FileOpen1Execute();
    void FileSaveAs1Execute();
    void ScheduleHintUpdate();
    void UpdatePointerHint();
    bool MoveGridPanelFocus(QWidget* from, bool forward);
    QPointer<QWidget> m_hintControl;  // the control under the pointer, as far as hints know
    bool m_hintUpdatePending = false;
    // The grid buttons report focus changes to the window through this object, so that the
    // reports stop once the window's own part is gone and its widgets are still being torn down.
    QObject m_gridReceiver;

  public:
    CrosspointButton* crosspointButton(int row, int column) const;
    QMenuBar* ActionMainMenuBar1 = nullptr;
    QToolBar* ToolActionBar1 = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* MatrixMenu = nullptr;
    QAction* HelpAbout = nullptr;  // Help > About: the program's name and version
    THintComponent* HintNuevo = nullptr;

  private:

    // Unit panels, arrangements and memory recall.
    QWidget* UnitPanelParent() const;
    QPoint UnitPanelOrigin() const;
    void PaintUnitPanel(int unit, bool selected);
    void LowerSelectedUnit();
    // Every view after the whole configuration was replaced: the unit's image, File New, a file.
    void ShowConfiguration();
    // SelectedUnit for indexing: never past the last unit, whatever a file or the settings held.
    int SelectedUnitIndex() const;
    Led* MemoryLed(int memory) const;  // Led1..Led5; none for a memory outside 0..4
    AngledLabel* RecallTitle = nullptr;

    // Function keys and device events.
    void ApplyBlinkPattern(const BlinkPattern& pattern);
    // Paints the end of the mode's step at once, as its last tick would.
    void FunctionKeyEnd(std::uint8_t mode);
    void SetPrompts(const char* caption1, const char* caption2);

  public:
    // The armed branches of the blink timer, taken while FunctionMode is not Idle.
    void FunctionKeyTick();

  private:

    // Settings and the names dialog.
    class TLineNames* LineNames = nullptr;  // the one names dialog while it is open

  public:
    // The Insert key's names dialog for the selected unit: modal; after OK the names are shared
    // with the units the arrangement joins and the grid is redrawn.
    void OpenNamesDialog();
    TLineNames* namesDialog() const { return LineNames; }

  private:

    // Matrix files and recent files.
  public:
    // What a file dialog is asked to show. Paths are single-byte text in the local 8-bit encoding.
    struct FileDialogRequest {
        bool save = false;  // the save dialog, else the open dialog
        std::string title;
        std::string filter;
        std::string folder;    // initial folder; empty: the dialog's own choice
        std::string fileName;  // the name shown when the dialog opens
    };
    // The File menu's Open and Save As commands: each shows its dialog and, when it is accepted,
    // loads or saves.
    void FileOpenDialog();
    void FileSaveAsDialog();
    // Shows a file dialog and gives the chosen path, or nothing when it was cancelled. When empty,
    // the real dialog is shown; tests answer here instead.
    std::function<std::optional<std::string>(const FileDialogRequest&)> RunFileDialog;
    const RecentFiles& recentFiles() const { return m_recentFiles; }

  private:
    void SetFileCaption(const std::string& path);
    void AddRecentFile(const std::string& path);
    void RemoveRecentFile(int index);
    void ApplyReopenUpdate(const ReopenUpdate& update);
    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request);
    bool m_saveWithoutName = false;  // Save without a current file is showing the save dialog
};

}  // namespace corvane
