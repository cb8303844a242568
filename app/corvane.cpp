#include "app/corvane.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include "device/messages.h"
#include "device/opendevice.h"
#include "device/usbinterface.h"
#include "version.h"
#include "view/led.h"

// The pictures are compiled into the static UI library and must be registered before first use.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace corvane {

std::string CommonDataFolder() {
#ifdef Q_OS_WIN
    const QString folder = qEnvironmentVariable("ProgramData");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    return QDir::toNativeSeparators(folder).toLocal8Bit().toStdString();
}

FormOptions FormOptions::Defaults() {
    FormOptions o;
    o.manufacturer = CORVANE_MANUFACTURER;
    o.commonDataFolder = CommonDataFolder();
    const QString cwd = QDir::currentPath();
    o.currentDirectory =
        cwd.isEmpty() ? std::string() : QDir::toNativeSeparators(cwd).toLocal8Bit().toStdString();
    return o;
}

namespace {
// A short pause before the first read, as long as three counting loops take. The counter is
// volatile so that the optimiser keeps the loops.
void BusyPause() {
    for (int loop = 0; loop < 3; ++loop) {
        volatile int i = 0;
        while (i < 65535) i = i + 1;
    }
}
}  // namespace

TCorvane_Form::TCorvane_Form(UsbInterface& usb, Notifier& notifier, FormOptions options, QWidget* parent)
    : QMainWindow(parent),
      TimerComandos(5, Qt::PreciseTimer, [this] { TimerComandosTimer(); }),
      TimerDiferente(500, Qt::CoarseTimer, [this] { TimerDiferenteTimer(); }),
      m_usb(usb),
      m_notifier(notifier),
      m_options(std::move(options)),
      m_link(usb, notifier) {
    initResources();
    TimerComandos.setTicksRun(m_options.timersRun);
    TimerDiferente.setTicksRun(m_options.timersRun);

    // The window from its design: controls, menus, commands, both timers disabled.
    BuildWindow();
    BuildUnitPanels();
    BuildMemoryPanel();
    BuildFunctionPanel();

    CurrentMatrixFile = "0";
    FunctionMode = Idle;
    BlinkPhase = 0;

    if (m_options.currentDirectory.empty()) {
        m_notifier.showMessage("ERROR", msg::kNoCurrentDirectory, MessageIcon::Error);
    } else {
        m_dialogFolder = m_options.currentDirectory;
    }

    m_usb.init();
    if (m_link.open(m_options.manufacturer) != kOpened) {
        m_notifier.showMessage(kMainTitle, Format(msg::kNotFound, kUnitVendorId, kUnitProductId),
                               MessageIcon::Error);
        m_startupFailed = true;
    }
    ImageBuffer image{};
    if (!m_startupFailed) {
        BusyPause();
        const int count = m_link.readImage(image);
        if (count < 0) {
            m_notifier.showMessage(kMainTitle, Format(msg::kImageError, m_link.lastError().c_str(), count),
                                   MessageIcon::Error);
            m_startupFailed = true;
        }
    }
    // Any non-negative count is decoded: whatever did not arrive reads as zero.
    if (!m_startupFailed) DecodeConfigImage(image);

    OpenSettings();
    LoadRecentFiles();
    InstallHints();
    StatusPanels[3]->clear();

    RefreshLayoutMenu();
    if (m_state.ReverseMode) {
        ReverseButton->setChecked(true);
        Leds[9]->setLit(true);
    }
    ShowMemoryLeds();
    ShowMemoryStatus();
    ShowUnitStatus();
    LoadNames();
    CreateGrid();
    ApplyLayout();
    for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
    BringUnitPanelsToFront();

    ColumnMoveFlag = 0;
    CurrentMatrixFile = "0";
    TimerComandos.setEnabled(true);
    if (m_startupFailed) QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    RestoreWindowState();
}

TCorvane_Form::~TCorvane_Form() {
    qApp->removeEventFilter(this);
    if (!m_windowStateSaved) SaveWindowState();
    FormDestroy();
}

void TCorvane_Form::closeEvent(QCloseEvent* event) {
    SaveWindowState();
    m_windowStateSaved = true;
    QMainWindow::closeEvent(event);
}

void TCorvane_Form::FormDestroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    TimerComandos.setEnabled(false);
    TimerDiferente.setEnabled(false);
    m_link.close();
    SaveSettings();
}

void TCorvane_Form::DecodeConfigImage(const ImageBuffer& buffer) {
    corvane::DecodeConfigImage(m_state, buffer);
    if (m_state.UnsavedFlags[m_state.SelectedUnit & 3] == 1 || FunctionMode != Idle)
        TimerDiferente.setEnabled(true);
}

void TCorvane_Form::SendConfigImage() {
    m_link.writeImage(EncodeConfigImage(m_state));
}

}  // namespace corvane
