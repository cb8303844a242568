#include "app/mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSizeGrip>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>

#include "app/inputhooks.h"
#include "app/keybindings.h"
#include "app/screenupdates.h"
#include "app/windowplacement.h"
#include "controller/remoteoperator.h"
#include "device/messages.h"
#include "device/opendevice.h"
#include "model/layouts.h"
#include "storage/diskfile.h"
#include "version.h"
#include "view/angledlabel.h"
#include "view/barstyle.h"
#include "view/crosspointgrid.h"
#include "view/fonts.h"
#include "view/functionspanel.h"
#include "view/hint.h"
#include "view/led.h"
#include "view/namesdialog.h"
#include "view/picturetooltips.h"
#include "view/recallpanel.h"
#include "view/storedpictures.h"
#include "view/unitpanel.h"

namespace corvane {

namespace {

constexpr char kFileNewTitle[] = "File New";
constexpr char kFileNewQuestion[] = " Are you sure to clear the memory? ";
constexpr char kAboutTitle[] = "About CORVANE Control";
constexpr char kAboutText[] =
    "CORVANE Control\nVersion " CORVANE_VERSION "\n\nControl program for the CORVANE intercom matrix.";
constexpr char kKeyboardTitle[] = "Keyboard";
constexpr char kRemoteOff[] = "\n\nRemote control (OSC): off";
const std::string kRemoteListening = "\n\nRemote control (OSC): listening on ";

// Short part for the pop-up, long part for the status bar.
constexpr const char* kUnitHints[kUnits] = {
    "Unit: 1|Master unit",
    "Unit: 2|First slave unit",
    "Unit: 3|Second slave unit",
    "Unit: 4|Third slave unit",
};

QAction* Command(QObject* parent, const char* caption, const char* hint, const char* picture = nullptr) {
    auto* action = new QAction(QString::fromLatin1(caption), parent);
    if (hint) SetHint(action, QString::fromLatin1(hint));
    if (picture) action->setIcon(StoredIcon(picture));
    return action;
}

QLabel* StatusPanel(QWidget* parent, int width, QFrame::Shadow bevel, const char* text, const char* spoken) {
    auto* panel = new QLabel(QString::fromLatin1(text), parent);
    // The text is the accessible name, announced as it changes; this says what it is about.
    panel->setAccessibleDescription(QString::fromLatin1(spoken));
    panel->setFrameStyle(QFrame::Panel | bevel);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFixedWidth(width);
    return panel;
}

}  // namespace

std::string CommonDataFolder() {
#ifdef Q_OS_WIN
    const QString folder = qEnvironmentVariable("ProgramData");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    return PathBytes(QDir::toNativeSeparators(folder));
}

WindowOptions WindowOptions::Defaults() {
    WindowOptions o;
    o.manufacturer = CORVANE_MANUFACTURER;
    o.commonDataFolder = CommonDataFolder();
    const QString cwd = QDir::currentPath();
    o.currentDirectory = cwd.isEmpty() ? std::string() : PathBytes(QDir::toNativeSeparators(cwd));
    return o;
}

MainWindow::MainWindow(UsbInterface& usb, Notifier& notifier, WindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      m_notifier(notifier),
      m_controller(usb, notifier, {options.manufacturer, options.commonDataFolder, options.timersRun}),
      m_fileDialogs(this) {
    buildWindow();
    m_screenUpdates = new ScreenUpdates(*this);

    if (options.currentDirectory.empty())
        m_notifier.showMessage("ERROR", msg::kNoCurrentDirectory, MessageIcon::Error);
    else
        m_fileDialogs.setFolder(options.currentDirectory);

    // From here on pop-up hints use the picture hint window, since nothing can pop up before the
    // window is shown; the key hook and the hint hook watch the whole application.
    m_inputHooks = new InputHooks(*this);
    qApp->installEventFilter(m_inputHooks);
    m_toolTips->activate();
    m_startResult = m_controller.start();
    for (UnitPanel* panel : m_unitPanels) panel->raise();
    if (m_startResult == StartResult::Failed)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    RestorePlacement(*this, m_controller.session());
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(m_inputHooks);
    shutDown();
    // The grid goes before its buttons, so that their focus changes while they are torn down
    // reach no one.
    m_grid.reset();
}

void MainWindow::shutDown() {
    if (!m_windowStateSaved) SavePlacement(*this, m_controller);
    m_windowStateSaved = true;
    m_controller.shutdown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SavePlacement(*this, m_controller);
    m_windowStateSaved = true;
    QMainWindow::closeEvent(event);
}

// The fixed layout of the window: menus, tool bar, panels and status bar.
void MainWindow::buildWindow() {
    InstallFontSubstitutions();
    setWindowTitle(QString::fromLatin1(kMainTitle));
    setFont(PointFont(QStringLiteral("Tahoma"), 8));
    // The role, not a copy of the colour, so that the window follows the desktop's palette when
    // it changes while the program runs.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    buildCommands();
    buildPanels();

    // The panels sit side by side at fixed places over the whole height of the bar; the last one
    // runs past the window's right edge and is cut there, under the size grip.
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(19);
    bar->setFont(PixelFont(QStringLiteral("Tahoma"), 12, QFont::Bold));
    m_statusPanels[0] = StatusPanel(bar, 150, QFrame::Sunken, "Memory", "Memory of the selected unit");
    m_statusPanels[1] = StatusPanel(bar, 100, QFrame::Raised, "Unit", "Selected unit");
    m_statusPanels[2] = StatusPanel(bar, 100, QFrame::Sunken, "", "Status");
    m_statusPanels[kHintStatusPanel] = StatusPanel(bar, 500, QFrame::Raised, "", "Hint");
    int left = 0;
    for (QLabel* panel : m_statusPanels) {
        panel->setGeometry(left, 0, panel->width(), 19);
        left += panel->width() + 2;
    }
    if (auto* grip = bar->findChild<QSizeGrip*>()) grip->raise();

    m_toolTips = new PictureToolTips(this);
    m_toolTips->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    m_toolTips->setBevel(ToolTipBevel::Lowered);
    m_toolTips->setStoredPicture("hint.png");

    resize(785, 570);
}

void MainWindow::buildCommands() {
    WindowCommands& c = m_commands;
    c.newFile = Command(this, "&New", "New|Clear the actual memory");
    c.open = Command(this, "&Open...", "Open|Opens a matrix file", "open.png");
    c.open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    c.open->setShortcutContext(Qt::WindowShortcut);
    c.save = Command(this, "&Save...", "Save|Saves the active matrix file", "save.png");
    c.saveAs =
        Command(this, "Save &As...", "Save As|Saves the active matrix file with a new name", "open.png");
    c.exit = Command(this, "E&xit", "Exit|Quits the application", "exit.png");
    connect(c.newFile, &QAction::triggered, this, &MainWindow::newFile);
    connect(c.open, &QAction::triggered, this, &MainWindow::open);
    connect(c.save, &QAction::triggered, this, &MainWindow::save);
    connect(c.saveAs, &QAction::triggered, this, &MainWindow::saveAs);
    connect(c.exit, &QAction::triggered, this, &QWidget::close);

    constexpr int kMenuBarHeight = 24;
    auto* barStyle = new BarStyle(kMenuBarHeight);
    barStyle->setParent(this);
    menuBar()->setStyle(barStyle);
    menuBar()->setFixedHeight(kMenuBarHeight);
    menuBar()->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    c.fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    c.fileMenu->addAction(c.newFile);
    c.fileMenu->addAction(c.open);
    c.recentFilesMenu = c.fileMenu->addMenu(QStringLiteral("&Reopen"));
    for (int i = 0; i < kRecentFiles; ++i) {
        QAction* entry = c.recentFilesMenu->addAction(QString());
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, i] { openRecentFile(i); });
        c.recentFiles[static_cast<std::size_t>(i)] = entry;
    }
    c.fileMenu->addSeparator();
    c.fileMenu->addAction(c.save);
    c.fileMenu->addAction(c.saveAs);
    c.fileMenu->addSeparator();
    c.fileMenu->addAction(c.exit);

    c.matrixMenu = menuBar()->addMenu(QStringLiteral("&Matrix"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    const char* layouts[] = {"&1x1", "&2x1", "&3x1", "&4x1", "1&x2", "1x3", "1x4", "2x2"};
    for (int k = 0; k < kLayouts; ++k) {
        QAction* command = Command(group, layouts[k], nullptr);
        command->setCheckable(true);
        c.matrixMenu->addAction(command);
        connect(command, &QAction::triggered, this, [this, k] { m_controller.setArrangement(k); });
        c.arrangements[static_cast<std::size_t>(k)] = command;
    }
    c.arrangements[Layout1x1]->setChecked(true);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    c.keyboard = helpMenu->addAction(QStringLiteral("&Keyboard..."));
    connect(c.keyboard, &QAction::triggered, this,
            [this] { m_notifier.showMessage(kKeyboardTitle, KeyTableText(), MessageIcon::Information); });
    c.about = helpMenu->addAction(QStringLiteral("&About..."));
    connect(c.about, &QAction::triggered, this, [this] {
        const RemoteOperator* listening = m_controller.remoteControl();
        const std::string remote =
            listening ? kRemoteListening + listening->server().where().toStdString() : kRemoteOff;
        m_notifier.showMessage(kAboutTitle, kAboutText + remote, MessageIcon::Information);
    });

    c.toolBar = addToolBar(QStringLiteral("Commands"));
    c.toolBar->setStyle(barStyle);
    c.toolBar->setMovable(false);
    c.toolBar->setFloatable(false);
    c.toolBar->setFixedHeight(28);
    c.toolBar->setIconSize(QSize(16, 16));
    c.toolBar->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    c.toolBar->addAction(c.open);
    c.toolBar->addSeparator();
    c.toolBar->addAction(c.save);
    c.toolBar->addAction(c.saveAs);
    c.toolBar->addSeparator();
    c.toolBar->addAction(c.exit);
}

// The panels in the order of the window's design, which is their focus order.
void MainWindow::buildPanels() {
    auto* central = new QWidget(this);
    central->setFixedSize(785, 570 - kCentralTop - 19);
    setCentralWidget(central);

    m_gridPanel = new BevelPanel(central);
    m_gridPanel->setGeometry(ClientRect(0, 55, 785, 410));
    m_gridPanel->setBevel(Bevel::Raised);
    m_gridPanel->setBevelWidth(2);
    m_gridPanel->setRowColours(PanelBackground());

    m_okKey = new QPushButton(QStringLiteral("OK"), central);
    m_okKey->setGeometry(ClientRect(263, 493, 49, 26));
    m_okKey->hide();
    m_okLamp = new Led(central);
    m_okLamp->setGeometry(ClientRect(278, 525, 20, 20));
    m_okLamp->setLampName(QStringLiteral("OK lamp"));
    m_okLamp->hide();

    // Created in tab order: units 1, 2, 4, 3. Panels are no tab stops, so the
    // creation order is what puts them into the focus chain.
    for (int u : kUnitPanelFocusOrder) {
        auto* panel = new UnitPanel(u, m_gridPanel);
        panel->setObjectName(QStringLiteral("unitPicture%1").arg(u + 1));
        panel->setBevelWidth(kUnitPanelBevel);
        panel->setGeometry(
            QRect(QPoint(5 + 136 * u, 5), QSize(kUnitPanelNormal.width, kUnitPanelNormal.height)));
        SetHint(panel, QString::fromLatin1(kUnitHints[u]));
        connect(panel, &UnitPanel::clicked, &m_controller, &MatrixController::selectUnit);
        m_unitPanels[static_cast<std::size_t>(u)] = panel;
    }

    m_recallPanel = new RecallPanel(central);
    m_recallPanel->setGeometry(ClientRect(0, 465, 240, 86));
    connect(m_recallPanel, &RecallPanel::keyClicked, &m_controller, &MatrixController::pressMemoryKey);

    m_functionsPanel = new FunctionsPanel(central);
    m_functionsPanel->setGeometry(ClientRect(335, 465, 450, 86));
    connect(m_functionsPanel, &FunctionsPanel::keyClicked, &m_controller,
            &MatrixController::pressFunctionKey);

    const auto prompt = [this](int top, int pixels, const char* caption) {
        auto* label = new AngledLabel(m_gridPanel);
        label->setGeometry(575, top, 198, 20);
        label->setColor(Qt::red);
        label->setLabelFont(HeavyFont(pixels, QFont::Black));
        label->setCentred(true);
        label->setShadowed(true);
        label->setCaption(QString::fromLatin1(caption));
        label->hide();
        return label;
    };
    m_promptTitle = prompt(5, 16, "STORE");
    m_promptText = prompt(29, 15, "Select Memory Number");

    m_okKey->setFont(HeavyFont(13, QFont::Bold));
    SetHint(m_okKey, QStringLiteral("Store|Store the work memory in the selected memory number"));
    connect(m_okKey, &QPushButton::clicked, &m_controller, &MatrixController::confirm);

    m_grid = std::make_unique<CrosspointGrid>(m_gridPanel);
    connect(m_grid.get(), &CrosspointGrid::clicked, this,
            [this](int row, int column) { m_controller.routeCrosspoint(row, column); });
}

// OK's tag follows those of the panel's keys.
static_assert(FunctionsPanel::kKeyCount == kOkTag);

std::optional<int> MainWindow::functionKeyTag(const QAbstractButton* key) const {
    if (key == m_okKey) return kOkTag;
    return m_functionsPanel->tagOf(key);
}

bool MainWindow::event(QEvent* event) {
    // Status tips of controls and of highlighted commands go to the last panel, not over the bar.
    if (event->type() == QEvent::StatusTip) {
        m_statusPanels[kHintStatusPanel]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::newFile() {
    if (!m_notifier.confirm(kFileNewTitle, kFileNewQuestion, MessageIcon::Information)) return;
    m_controller.newConfiguration();
}

void MainWindow::open() {
    if (const std::optional<std::string> path = m_fileDialogs.askOpen(m_controller.currentFile()))
        m_controller.openFile(*path);
}

void MainWindow::save() {
    if (const std::optional<std::string>& current = m_controller.currentFile()) {
        m_controller.saveFile(*current);
        return;
    }
    if (const std::optional<std::string> path = m_fileDialogs.askSaveAs(std::nullopt, true))
        m_controller.saveFile(*path);
}

void MainWindow::saveAs() {
    if (const std::optional<std::string> path = m_fileDialogs.askSaveAs(m_controller.currentFile(), false))
        m_controller.saveFile(*path);
}

void MainWindow::openRecentFile(int index) {
    if (index < 0 || index >= kRecentFiles) return;
    const QAction* entry = m_commands.recentFiles[static_cast<std::size_t>(index)];
    // An entry without a path has no command.
    if (!entry || !entry->isVisible()) return;
    // The entry keeps the path's own bytes beside its caption, so no round trip through the
    // displayed text can alter it.
    m_controller.openFile(entry->data().toByteArray().toStdString(), index);
}

void MainWindow::editNames() {
    // Insert pressed inside the open dialog reaches its field and opens nothing.
    if (m_grid->columnMoving() || m_namesDialog) return;
    const QPointer<NamesDialog> dialog = new NamesDialog(m_controller.names(), m_controller.model(), this);
    m_namesDialog = dialog;
    const int result = dialog->exec();
    // The dialog is gone if the window was torn down while it ran.
    if (!dialog) return;
    const UnitNames entered = dialog->enteredNames();
    delete dialog;
    m_namesDialog = nullptr;
    if (result == QDialog::Accepted) m_controller.storeUnitNames(entered);
}

}  // namespace corvane
