#include "controller/matrixcontroller.h"

#include "controller/eventdispatch.h"
#include "device/messages.h"
#include "device/notifier.h"
#include "device/opendevice.h"
#include "device/usbinterface.h"
#include "model/layouts.h"
#include "storage/diskfile.h"
#include "storage/matrixfile.h"

namespace corvane {

namespace {

constexpr char kFileOpenTitle[] = "File Open";
constexpr char kFileReopenTitle[] = "File Reopen";

}  // namespace

// Whether a change goes to the unit. The operator's and remote control's changes always do. A
// front panel's change is already made on the units, so it goes back only where the unit expects
// to hear it from us: a cleared work memory of the selected unit, and every switch of the
// orientation, also one that repeats the current orientation.
bool SendsToUnit(Origin origin, Change change) {
    if (origin != Origin::FrontPanel) return true;
    return change == Change::Clear || change == Change::Reverse;
}

namespace {

// A short pause before the first read, three counting loops; volatile keeps them from the optimiser.
void BusyPause() {
    for (int loop = 0; loop < 3; ++loop)
        for (volatile int i = 0; i < 65535;) i = i + 1;
}

// Single-byte text: the path decoded from the file system's encoding, '?' where no byte fits.
QString FileCaption(const std::string& path) {
    const std::string name = CaptionFileName(PathText(path).toLatin1().toStdString());
    return QString::fromLatin1(FillFormat(matrixfile::kCaptionFormat, {name}));
}

// Signals that the grid is being rebuilt for as long as it lives.
class GridRebuild {
  public:
    explicit GridRebuild(MatrixController& controller) : m_controller(controller) {
        Q_EMIT m_controller.gridRebuilding(true);
    }
    ~GridRebuild() { Q_EMIT m_controller.gridRebuilding(false); }
    GridRebuild(const GridRebuild&) = delete;
    GridRebuild& operator=(const GridRebuild&) = delete;

  private:
    MatrixController& m_controller;
};

}  // namespace

MatrixController::MatrixController(UsbInterface& usb, Notifier& notifier, ControllerOptions options,
                                   QObject* parent)
    : QObject(parent),
      m_usb(usb),
      m_notifier(notifier),
      m_options(std::move(options)),
      m_link(usb, notifier),
      m_pollTimer(kPollIntervalMs, Qt::PreciseTimer, [this] { pollDevice(); }),
      m_blinkTimer(kBlinkIntervalMs, Qt::CoarseTimer, [this] { blinkTick(); }) {
    m_pollTimer.setTicksRun(m_options.timersRun);
    m_blinkTimer.setTicksRun(m_options.timersRun);
}

MatrixController::~MatrixController() {
    shutdown();
}

StartResult MatrixController::start() {
    m_usb.init();
    m_connected = m_link.open(m_options.manufacturer) == kOpened;
    if (!m_connected)
        m_notifier.showMessage(kMainTitle, Format(msg::kNotFound, kUnitVendorId, kUnitProductId),
                               MessageIcon::Error);
    ImageBuffer image{};
    if (m_connected) {
        BusyPause();
        const int count = m_link.readImage(image);
        if (count < 0) {
            m_notifier.showMessage(kMainTitle, Format(msg::kImageError, m_link.lastError().c_str(), count),
                                   MessageIcon::Error);
            m_connected = false;
            // Nothing to poll: not even a unit that was found but whose configuration could not be read.
            m_link.close();
        }
    }
    // Any non-negative count is decoded: whatever did not arrive reads as zero.
    if (m_connected) decodeImage(image);

    m_session.open(m_options.commonDataFolder);
    Q_EMIT recentFilesChanged(m_session.loadRecentFiles());
    MatrixState record = m_model.record();
    m_session.readArrangement(record);
    m_model.replaceRecord(record);
    m_session.readNames(m_names);
    // From here on the settings file is written at shutdown; one that could not be read stays as
    // it is.
    m_settingsRead = true;
    showConfiguration();
    m_currentFile.reset();
    if (!m_connected) return StartResult::Failed;
    m_pollTimer.setEnabled(true);
    return StartResult::Connected;
}

void MatrixController::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_pollTimer.setEnabled(false);
    m_blinkTimer.setEnabled(false);
    m_link.close();
    // Without the unit's slave count the arrangement was lowered to 1x1 and unit 1; saving that
    // would lose the operator's arrangement for the next start with the unit.
    if (m_settingsRead) m_session.close(m_names, m_connected ? &m_model.record() : nullptr, m_notifier);
}

void MatrixController::saveSettings() {
    if (m_settingsRead && !m_shutDown)
        m_session.save(m_names, m_connected ? &m_model.record() : nullptr, m_notifier);
}

void MatrixController::showEveryUnit() {
    for (int u = 0; u < kUnits; ++u) Q_EMIT unitMapChanged(u);
}

void MatrixController::send(RequestCode code, std::uint16_t value, std::uint16_t index) {
    m_traffic.sent(code, value, index, m_model.isReverse());
    m_link.sendCommand(code, value, index);
}

void MatrixController::applyRoute(int row, int column) {
    // Any change of the grid ends an armed function-key step at its next tick.
    m_keys.endArmedStep();
    const int u = m_model.selectedUnit();
    const RouteChange change = m_model.setWorkRoute(u, row, column);
    if (!change.changed) return;
    if (m_keys.previewing()) {
        // The grid shows a stored memory but the change is to the work memory: end the preview
        // now, so that the grid never shows a mixture of the two.
        m_keys.dropStep();
        showPattern(*EndPattern(Step::PreviewShow));
        Q_EMIT unitMapChanged(u);
        return;
    }
    Q_EMIT crosspointChanged(row, column, change.previous);
    Q_EMIT unitMapChanged(u);
}

void MatrixController::routeCrosspoint(int row, int column, Origin origin) {
    if (row < 0 || row >= grid::kRows || column < 0 || column >= grid::kColumns) return;
    applyRoute(row, column);
    if (!SendsToUnit(origin, Change::Route) || !m_model.isCrosspoint(row, column)) return;
    send(RequestCode::SetRoute, UnitRow(m_model.selectedUnit(), row), static_cast<std::uint16_t>(column));
}

void MatrixController::routeUnit(int unit, int row, int column, Origin origin) {
    if (!IsUnit(unit)) return;
    if (unit == m_model.selectedUnit()) {
        routeCrosspoint(row, column, origin);
        return;
    }
    if (row < 0 || row >= grid::kRows || column < 0 || column >= grid::kColumns) return;
    if (!m_model.isCrosspoint(row, column) && origin != Origin::FrontPanel) return;
    m_model.setWorkRoute(unit, row, column);
    Q_EMIT unitMapChanged(unit);
    if (!SendsToUnit(origin, Change::Route)) return;
    m_keys.endArmedStep();
    send(RequestCode::SetRoute, UnitRow(unit, row), static_cast<std::uint16_t>(column));
}

void MatrixController::pressFunctionKey(int key) {
    m_blinkTimer.setEnabled(true);
    const KeyPress press = m_keys.press(key);
    showPattern(press.leave);
    if (press.caption1)
        Q_EMIT promptsChanged(QString::fromLatin1(press.caption1), QString::fromLatin1(press.caption2));
    if (press.showOk) Q_EMIT confirmationOffered();
    switch (press.action) {
        case OkAction::ClearWork:
            clearWorkMemory(Origin::Operator);
            break;
        case OkAction::SwitchReverse:
            // OK always switches away from the orientation in force, whatever the key shows.
            setReverse(!m_model.isReverse(), Origin::Operator);
            break;
        case OkAction::None:
            break;
    }
}

void MatrixController::showPattern(const BlinkPattern& pattern) {
    Q_EMIT functionPattern(pattern);
    if (pattern.refreshGrid) Q_EMIT gridChanged();
}

void MatrixController::clearWorkMemory(Origin origin) {
    m_keys.endArmedStep();
    const GridRebuild rebuild(*this);
    const int unit = m_model.selectedUnit();
    m_model.clearWorkMemory(unit);
    if (SendsToUnit(origin, Change::Clear)) send(RequestCode::Clear, static_cast<std::uint16_t>(unit), 0);
    applyArrangement();
    Q_EMIT gridChanged();
    showEveryUnit();
}

void MatrixController::clearUnitWorkMemory(int unit, Origin origin) {
    if (unit == m_model.selectedUnit()) return clearWorkMemory(origin);
    if (!IsUnit(unit)) return;
    m_keys.endArmedStep();
    clearUnit(unit);
    if (SendsToUnit(origin, Change::Clear)) send(RequestCode::Clear, static_cast<std::uint16_t>(unit), 0);
}

void MatrixController::clearUnit(int unit) {
    m_model.clearWorkMemory(unit);
    showEveryUnit();
}

void MatrixController::setReverse(bool on, Origin origin) {
    m_keys.endArmedStep();
    const GridRebuild rebuild(*this);
    m_model.setReverse(on);
    Q_EMIT orientationChanged(on);
    if (SendsToUnit(origin, Change::Reverse)) send(RequestCode::SetReverse, on ? 1 : 0, 0);
    applyArrangement();
    Q_EMIT gridChanged();
    showEveryUnit();
}

void MatrixController::selectUnit(int unit) {
    if (!IsUnit(unit) || unit == m_model.selectedUnit() || unit > HighestUnit(m_model.layout())) return;
    const int previous = m_model.selectedUnit();
    m_model.selectUnit(unit);
    m_keys.endArmedStep();
    Q_EMIT unitMapChanged(previous);
    Q_EMIT unitMapChanged(unit);
    Q_EMIT gridChanged();
    Q_EMIT memoryLampsChanged();
    Q_EMIT indicatorsChanged();
    updateMemoryStatus();
}

void MatrixController::setArrangement(int layout) {
    if (layout < 0 || layout >= kLayouts) return;
    m_model.setLayout(layout);
    applyArrangement();
}

void MatrixController::normaliseArrangement() {
    m_model.setLayout(AllowedLayout(m_model.slaveCount(), m_model.layout()));
    // What the indicators show before the arrangement is applied must already be a unit the
    // arrangement shows.
    m_model.lowerSelectionTo(HighestUnit(m_model.layout()));
}

void MatrixController::applyArrangement() {
    Q_EMIT arrangementChanged();
    const bool selectionMoved = m_model.lowerSelectionTo(HighestUnit(m_model.layout()));
    m_names.shareOnArrangement(m_model.layout());
    m_keys.endArmedStep();
    Q_EMIT gridChanged();
    Q_EMIT indicatorsChanged();
    showEveryUnit();
    // The selection moved to a unit the arrangement shows: the indicators are for that unit now.
    if (selectionMoved) {
        Q_EMIT memoryLampsChanged();
        updateMemoryStatus();
    }
}

// Every view after the whole configuration was replaced: the unit's image, File New, a file.
void MatrixController::showConfiguration() {
    normaliseArrangement();
    // The grid's arrangement follows the orientation the configuration brought; a grid laid out
    // for the other one would route every click wrongly.
    Q_EMIT orientationChanged(m_model.isReverse());
    applyArrangement();
    Q_EMIT memoryLampsChanged();
    updateMemoryStatus();
}

void MatrixController::decodeImage(const ImageBuffer& image) {
    MatrixState record = m_model.record();
    DecodeConfigImage(record, image);
    replaceState(record);
    if (m_model.unsaved(m_model.selectedUnit()) || m_keys.armed()) m_blinkTimer.setEnabled(true);
}

void MatrixController::sendImage() {
    m_link.writeImage(EncodeConfigImage(m_model.record()));
}

void MatrixController::pollDevice() {
    if (!m_link.isOpen()) return;
    if (m_remote) m_remote->sendWaiting();
    DeviceEvent event;
    const int count = m_link.pollEvent(event);
    if (count < 0) {
        // The unit is gone: the program ends through the normal shutdown, without a message.
        m_pollTimer.setEnabled(false);
        Q_EMIT unitLost();
        return;
    }
    const DispatchedEvent e = DispatchEvent(event, count, m_model);
    if (!m_traffic.polled(count, e, m_model.isReverse())) return;
    switch (e.action) {
        case EventAction::None:
            break;
        case EventAction::SetReverse:
            setReverse(e.reverse, Origin::FrontPanel);
            break;
        case EventAction::Recall:
            recallMemory(e.memory, Origin::FrontPanel);
            break;
        case EventAction::Unsaved:
            m_model.setUnsavedBits(e.unsavedBits);
            if (m_model.unsaved(m_model.selectedUnit())) {
                m_blinkTimer.setEnabled(true);
                m_keys.resetPhase();
            }
            updateMemoryStatus();
            break;
        case EventAction::Stored:
            applyStored(e.unit, e.memory);
            break;
        case EventAction::RouteSelected:
            // A route already shown changes nothing; the unit echoes our own changes this way.
            routeCrosspoint(e.row, e.column, Origin::FrontPanel);
            break;
        case EventAction::RouteOther:
            routeUnit(e.unit, e.row, e.column, Origin::FrontPanel);
            break;
        case EventAction::ClearSelected:
            clearWorkMemory(Origin::FrontPanel);
            break;
        case EventAction::ClearOther:
            clearUnit(e.unit);
            break;
        case EventAction::ReadImage: {
            ImageBuffer image{};
            // Anything but the whole image, an error included, is dropped without a word.
            if (m_link.readImage(image) != kConfigImageSize) break;
            decodeImage(image);
            showConfiguration();
            break;
        }
    }
}

void MatrixController::newConfiguration() {
    m_names.setDefaults();
    m_model.clear();
    Q_EMIT captionChanged(QString::fromLatin1(kMainTitle));
    m_currentFile.reset();
    showConfiguration();
    sendImage();
}

void MatrixController::saveFile(const std::string& path) {
    m_currentFile = path;
    const MatrixFileSave saved = SaveMatrixFile(path, m_names, m_model.record());
    if (!saved.ok()) {
        m_notifier.showFileMessage(kMainTitle, saved.message, MessageIcon::None);
        return;
    }
    Q_EMIT captionChanged(FileCaption(path));
    Q_EMIT recentFilesChanged(m_session.addRecentFile(path));
}

void MatrixController::openFile(const std::string& path, std::optional<int> recentEntry) {
    // The file is read and checked in full before anything live changes.
    const MatrixFileLoad loaded = ReadMatrixFile(path);
    if (!loaded.ok()) {
        if (loaded.status == MatrixFileStatus::ChecksumError)
            m_notifier.showMessage(recentEntry ? kFileReopenTitle : kFileOpenTitle, loaded.message,
                                   MessageIcon::Error);
        else
            m_notifier.showFileMessage(kMainTitle, loaded.message, MessageIcon::None);
        // Only a file that is gone leaves the list; one that is damaged may yet be mended.
        if (loaded.status == MatrixFileStatus::CannotOpen && recentEntry)
            Q_EMIT recentFilesChanged(m_session.removeRecentFile(*recentEntry));
        return;
    }
    MatrixState record = m_model.record();
    NameTable names = m_names;
    ApplyMatrixFile(loaded.contents, names, record);
    replaceNames(names);
    replaceState(record);
    m_currentFile = path;
    Q_EMIT captionChanged(FileCaption(path));
    showConfiguration();
    Q_EMIT recentFilesChanged(m_session.addRecentFile(path));
    // The loaded configuration goes to the units at once; a failed transfer reports itself and the
    // program keeps what it loaded.
    sendImage();
}

void MatrixController::storeUnitNames(const UnitNames& names) {
    const int unit = m_model.selectedUnit();
    for (int k = 0; k < kLines; ++k) m_names.setLineName(unit, k, names.lines[k]);
    for (int k = 0; k < kChannels; ++k) m_names.setChannelName(unit, k, names.channels[k]);
    m_names.shareAfterEdit(unit, m_model.layout());
    Q_EMIT gridChanged();
}

}  // namespace corvane
