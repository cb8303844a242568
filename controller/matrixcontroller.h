#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "controller/configurationsession.h"
#include "controller/functionkeys.h"
#include "controller/remoteoperator.h"
#include "controller/ticktimer.h"
#include "controller/unittraffic.h"
#include "device/configimage.h"
#include "device/devicelink.h"
#include "model/matrixmodel.h"
#include "model/matrixstate.h"
#include "model/nametable.h"

namespace corvane {

class Notifier;
class UsbInterface;

// Where a change comes from. It decides what is sent to the unit (see SendsToUnit).
enum class Origin : std::uint8_t { Operator, FrontPanel, Remote };

// The poll timer asks the unit for a front-panel event this often; the blink timer flips the
// lamps of an armed step or of an unsaved memory.
inline constexpr int kPollIntervalMs = 5;
inline constexpr int kBlinkIntervalMs = 500;
// What a change is, for SendsToUnit.
enum class Change : std::uint8_t { Route, Recall, Store, Clear, Reverse };
bool SendsToUnit(Origin origin, Change change);

// What start() found: the unit connected, or a message was shown and the program ends.
enum class StartResult : std::uint8_t { Connected, Failed };

struct ControllerOptions {
    std::string manufacturer;      // the unit's manufacturer string
    std::string commonDataFolder;  // the settings file lives in <this>/QUENDA
    bool timersRun = true;         // false: ticks only when a test calls pollDevice()/blinkTick()
};

// The one place where an action becomes model changes, requests to the unit and signals. It owns
// the model of all units, the names, the device link, the function keys, both timers, the current
// matrix file, the recent files and the settings file. Views call one intent per action and
// repaint from the signals, which say what changed; every repaint reads the model afresh.
class MatrixController : public QObject {
    Q_OBJECT
  public:
    MatrixController(UsbInterface& usb, Notifier& notifier, ControllerOptions options,
                     QObject* parent = nullptr);
    ~MatrixController() override;

    // Finds the unit, reads its configuration, then the settings file (a file that does not parse
    // throws SettingsError), and shows all of it. Polling runs when the unit is connected.
    StartResult start();
    // Stops the timers, closes the unit and writes the settings file. Runs once.
    void shutdown();
    // Writes the settings file as shutdown() would and goes on running (the desktop's session
    // manager asks for this before it ends the session, which it may still cancel).
    void saveSettings();
    // The main window's placement into the settings file (at exit, and when the session ends).
    void saveWindowPlacement(const WindowPlacement& placement) {
        m_session.savePlacement(placement, m_notifier);
    }

    // Intents: one per action of the operator or of a front panel.
    // A crosspoint of the grid of the unit shown; rows and columns as the grid counts them.
    void routeCrosspoint(int row, int column, Origin origin = Origin::Operator);
    // A crosspoint of any unit, as a click on that unit's grid would set it.
    void routeUnit(int unit, int row, int column, Origin origin);
    // A key of the recall panel: recalls, or gives an armed STORE or PREVIEW its memory.
    void pressMemoryKey(int memory);
    void recallMemory(int memory, Origin origin);
    // A key of the FUNCTIONS panel (kStoreTag..kReverseTag), or OK (kOkTag).
    void pressFunctionKey(int key);
    void confirm() { pressFunctionKey(kOkTag); }
    void selectUnit(int unit);
    void setArrangement(int layout);
    void setReverse(bool on, Origin origin);
    // The selected unit's work memory.
    void clearWorkMemory(Origin origin);
    // Any unit's work memory, and any unit's store, as the operator does them with that unit
    // selected (the remote control names the unit).
    void clearUnitWorkMemory(int unit, Origin origin);
    void storeUnitMemory(int unit, int memory);
    // The blank configuration, sent to the unit.
    void newConfiguration();
    // Loads a matrix file and sends it to the unit; `recentEntry` when chosen from the recent files.
    void openFile(const std::string& path, std::optional<int> recentEntry = std::nullopt);
    // Saves under `path`, which becomes the current file even when the save fails.
    void saveFile(const std::string& path);
    // The names dialog's OK: the selected unit's names, shared with the units the arrangement
    // joins with it, then shown.
    void storeUnitNames(const UnitNames& names);
    // One event of the units' front panels.
    void pollDevice();
    void blinkTick();

    // Every view after the model was replaced as a whole (the unit's image, File New, a file, or a
    // test's scene): the arrangement is corrected for the units there are, then all is shown.
    void showConfiguration();

    const MatrixModel& model() const { return m_model; }
    // The record inside the model, for the codecs and for tests that compare it byte for byte.
    const MatrixState& state() const { return m_model.record(); }
    // Replaces the model as a whole and shows nothing yet (showConfiguration() does): the unit's
    // image and a matrix file arrive this way, and so does a test's scene.
    void replaceState(const MatrixState& record) { m_model.replaceRecord(record); }
    const NameTable& names() const { return m_names; }
    // Replaces the names as a whole, as replaceState() the model: a matrix file's names arrive this
    // way, and so do a test's.
    void replaceNames(const NameTable& names) { m_names = names; }
    const FunctionKeys& functionKeys() const { return m_keys; }
    // Puts the function keys back as a copy of them holds them, showing nothing until their next
    // tick: for tests that start half-way through a step.
    void replaceFunctionKeys(const FunctionKeys& keys) { m_keys = keys; }
    const std::optional<std::string>& currentFile() const { return m_currentFile; }
    const ConfigurationSession& session() const { return m_session; }
    // Whether the timers really tick; when not, their ticks come only from pollDevice()/blinkTick().
    void setTimersRun(bool run) {
        m_pollTimer.setTicksRun(run);
        m_blinkTimer.setTicksRun(run);
    }
    bool polling() const { return m_pollTimer.enabled(); }
    bool blinking() const { return m_blinkTimer.enabled(); }
    // The remote control while it listens (StartRemoteControl), else nullptr.
    const RemoteOperator* remoteControl() const { return m_remote.get(); }
    void setRemoteControl(std::unique_ptr<RemoteOperator> remote) { m_remote = std::move(remote); }
    const UnitTraffic& unitTraffic() const { return m_traffic; }
    Notifier& notifier() const { return m_notifier; }

  Q_SIGNALS:
    // One route of the unit shown changed; `previous` is the crosspoint lit before, or -1.
    void crosspointChanged(int row, int column, int previous);
    // What the grid shows changed as a whole.
    void gridChanged();
    // The grid is rebuilt (true) or done (false): keep it hidden in between.
    void gridRebuilding(bool rebuilding);
    void orientationChanged(bool reverse);
    // The arrangement, or the units it may offer, changed.
    void arrangementChanged();
    void unitMapChanged(int unit);
    // The memory and unit indicators of the status bar.
    void indicatorsChanged();
    // The memory lamps show the selected unit's current memory.
    void memoryLampsChanged();
    // The unsaved current memory's lamp blinks.
    void unsavedLampBlinked(int memory, bool lit);
    void functionPattern(const corvane::BlinkPattern& pattern);
    void promptsChanged(const QString& title, const QString& text);
    void confirmationOffered();
    void captionChanged(const QString& caption);
    void recentFilesChanged(const corvane::ReopenUpdate& update);
    // The unit is gone; the program ends.
    void unitLost();

  private:
    void applyRoute(int row, int column);
    void startPreview(int memory);
    void clearUnit(int unit);
    void applyStored(int unit, int memory);
    void showPattern(const BlinkPattern& pattern);
    void showEveryUnit();
    void updateMemoryStatus();
    void applyArrangement();
    void normaliseArrangement();
    void decodeImage(const ImageBuffer& image);
    void sendImage();
    void saveAs(const std::string& path);
    void send(RequestCode code, std::uint16_t value, std::uint16_t index);

    UsbInterface& m_usb;
    Notifier& m_notifier;
    ControllerOptions m_options;
    DeviceLink m_link;
    MatrixModel m_model;
    NameTable m_names{};
    FunctionKeys m_keys;
    ConfigurationSession m_session;
    UnitTraffic m_traffic;
    TickTimer m_pollTimer;
    TickTimer m_blinkTimer;
    std::optional<std::string> m_currentFile;
    bool m_connected = false;
    bool m_settingsRead = false;
    bool m_shutDown = false;
    std::unique_ptr<RemoteOperator> m_remote;  // destroyed first: it calls into the rest
};

}  // namespace corvane
