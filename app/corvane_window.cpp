#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>

#include "app/corvane.h"
#include "view/jpegdecoder.h"
#include "app/picturehintwindow.h"
#include "version.h"
#include "view/barstyle.h"
#include "view/bevelpanel.h"
#include "view/crosspointbutton.h"
#include "view/fonts.h"
#include "model/gridcontent.h"
#include "view/hint.h"
#include "view/led.h"
#include "view/unitpanel.h"

namespace corvane {

namespace {

QPixmap PanelBackground() {
    QFile file(QStringLiteral(":/panel-background.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::optional<DecodedImage> decoded = DecodeJpeg(file.readAll());
    if (!decoded) return {};
    const QImage image(decoded->rgb.data(), decoded->width, decoded->height, 3 * decoded->width,
                       QImage::Format_RGB888);
    return QPixmap::fromImage(image);  // copies the pixels before `decoded` goes away
}

QAction* Command(QObject* parent, const char* caption, const char* hint, const char* picture = nullptr) {
    auto* action = new QAction(QString::fromLatin1(caption), parent);
    if (hint) SetHint(action, QString::fromLatin1(hint));
    if (picture) action->setIcon(QIcon(QString::fromLatin1(picture)));
    return action;
}

QLabel* StatusPanel(QWidget* parent, int width, QFrame::Shadow bevel, const char* text) {
    auto* panel = new QLabel(QString::fromLatin1(text), parent);
    panel->setFrameStyle(QFrame::Panel | bevel);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFixedWidth(width);
    return panel;
}

}  // namespace

// The fixed layout of the window: menus, tool bar, panels and status bar.
void TCorvane_Form::BuildWindow() {
    InstallFontSubstitutions();
    setWindowTitle(QStringLiteral("CORVANE"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);

    FileNew1 = Command(this, "&New", "New|Clear the actual memory");
    FileOpen1 = Command(this, "&Open...", "Open|Opens a matrix file", ":/open.png");
    FileOpen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileOpen1->setShortcutContext(Qt::WindowShortcut);
    FileSave = Command(this, "&Save...", "Save|Saves the active matrix file", ":/save.png");
    FileSaveAs1 =
        Command(this, "Save &As...", "Save As|Saves the active matrix file with a new name", ":/open.png");
    FileExit1 = Command(this, "E&xit", "Exit|Quits the application", ":/exit.png");
    connect(FileNew1, &QAction::triggered, this, [this] { FileNew1Execute(); });
    connect(FileOpen1, &QAction::triggered, this, [this] { FileOpen1Execute(); });
    connect(FileSave, &QAction::triggered, this, [this] { FileSaveExecute(); });
    connect(FileSaveAs1, &QAction::triggered, this, [this] { FileSaveAs1Execute(); });
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);

    constexpr int kMenuBarHeight = 24;
    auto* barStyle = new BarStyle(kMenuBarHeight);
    barStyle->setParent(this);
    ActionMainMenuBar1 = menuBar();
    ActionMainMenuBar1->setStyle(barStyle);
    ActionMainMenuBar1->setFixedHeight(kMenuBarHeight);
    ActionMainMenuBar1->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    FileMenu = ActionMainMenuBar1->addMenu(QStringLiteral("&File"));
    FileMenu->addAction(FileNew1);
    FileMenu->addAction(FileOpen1);
    ReopenMenu = FileMenu->addMenu(QStringLiteral("&Reopen"));
    for (int i = 0; i < 5; ++i) {
        Reopen[i] = ReopenMenu->addAction(QString());
        Reopen[i]->setVisible(false);
        connect(Reopen[i], &QAction::triggered, this, [this, i] { ReopenExecute(i); });
    }
    FileMenu->addSeparator();
    FileMenu->addAction(FileSave);
    FileMenu->addAction(FileSaveAs1);
    FileMenu->addSeparator();
    FileMenu->addAction(FileExit1);

    MatrixMenu = ActionMainMenuBar1->addMenu(QStringLiteral("&Matrix"));
    MatrixGroup = new QActionGroup(this);
    MatrixGroup->setExclusive(true);
    const char* layouts[] = {"&1x1", "&2x1", "&3x1", "&4x1", "1&x2", "1x3", "1x4", "2x2"};
    for (int k = 0; k < kLayouts; ++k) {
        MatrixCommands[k] = Command(MatrixGroup, layouts[k], nullptr);
        MatrixCommands[k]->setCheckable(true);
        MatrixMenu->addAction(MatrixCommands[k]);
        connect(MatrixCommands[k], &QAction::triggered, this, [this, k] { MatrixExecute(k); });
    }
    MatrixCommands[0]->setChecked(true);

    QMenu* helpMenu = ActionMainMenuBar1->addMenu(QStringLiteral("&Help"));
    HelpAbout = helpMenu->addAction(QStringLiteral("&About..."));
    connect(HelpAbout, &QAction::triggered, this, [this] {
        m_notifier.showMessage("About CORVANE Control",
                               std::string("CORVANE Control\nVersion ") + CORVANE_VERSION +
                                   "\n\nControl program for the CORVANE intercom matrix.",
                               MessageIcon::Information);
    });

    ToolActionBar1 = addToolBar(QStringLiteral("Commands"));
    ToolActionBar1->setStyle(barStyle);
    ToolActionBar1->setMovable(false);
    ToolActionBar1->setFloatable(false);
    ToolActionBar1->setFixedHeight(28);
    ToolActionBar1->setIconSize(QSize(16, 16));
    ToolActionBar1->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    ToolActionBar1->addAction(FileOpen1);
    ToolActionBar1->addSeparator();
    ToolActionBar1->addAction(FileSave);
    ToolActionBar1->addAction(FileSaveAs1);
    ToolActionBar1->addSeparator();
    ToolActionBar1->addAction(FileExit1);

    auto* central = new QWidget(this);
    central->setFixedSize(785, 570 - kCentralTop - 19);
    setCentralWidget(central);

    Panel1 = new BevelPanel(central);
    Panel1->setGeometry(ClientRect(0, 55, 785, 410));
    Panel1->setBevel(Bevel::Raised);
    Panel1->setBevelWidth(2);
    Panel1->setBackground(PanelBackground());
    // The memory-recall and function panels come with their keys (BuildMemoryPanel,
    // BuildFunctionPanel).

    OkButton = new QPushButton(QStringLiteral("OK"), central);
    OkButton->setGeometry(ClientRect(263, 493, 49, 26));
    OkButton->setProperty("Tag", 4);
    OkButton->hide();

    Leds[11] = new Led(central);
    Leds[11]->setGeometry(ClientRect(278, 525, 20, 20));
    Leds[11]->hide();

    // The panels sit side by side at fixed places over the whole height of the bar; the last one
    // runs past the window's right edge and is cut there, under the size grip.
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(19);
    bar->setFont(PixelFont(QStringLiteral("Tahoma"), 12, QFont::Bold));
    StatusPanels[0] = StatusPanel(bar, 150, QFrame::Sunken, "Memory");
    StatusPanels[1] = StatusPanel(bar, 100, QFrame::Raised, "Unit");
    StatusPanels[2] = StatusPanel(bar, 100, QFrame::Sunken, "");
    StatusPanels[3] = StatusPanel(bar, 500, QFrame::Raised, "");
    int left = 0;
    for (QLabel* panel : StatusPanels) {
        panel->setGeometry(left, 0, panel->width(), 19);
        left += panel->width() + 2;
    }
    if (auto* grip = bar->findChild<QSizeGrip*>()) grip->raise();

    HintNuevo = new THintComponent(this);
    HintNuevo->Font = PixelFont(QStringLiteral("Tahoma"), 11);
    HintNuevo->Bevel = hbLowered;
    HintNuevo->setPicture(QPixmap(QStringLiteral(":/hint.png")));

    resize(785, 570);
}

// The key hook and the hint hook; from here on pop-up hints use the picture hint window, since
// nothing can pop up before the window is shown.
void TCorvane_Form::InstallHints() {
    qApp->installEventFilter(this);
    HintNuevo->Activate();
}

void TCorvane_Form::AppHintHandler(const QString& hint) {
    StatusPanels[3]->setText(hint);
}

void TCorvane_Form::FileOpen1Execute() {
    FileOpenDialog();
}
void TCorvane_Form::FileSaveAs1Execute() {
    FileSaveAsDialog();
}

bool TCorvane_Form::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (AppMessageHandler(watched, static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::Enter:
        case QEvent::Leave:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this) {
                if (event->type() == QEvent::Enter)
                    m_hintControl = widget;
                else if (widget == m_hintControl)
                    m_hintControl = widget == this ? nullptr : widget->parentWidget();
                ScheduleHintUpdate();
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The hint follows the pointer once the events of one move are handled, so that leaving one
// control and entering the next settle on the control entered.
void TCorvane_Form::ScheduleHintUpdate() {
    if (m_hintUpdatePending) return;
    m_hintUpdatePending = true;
    QMetaObject::invokeMethod(this, &TCorvane_Form::UpdatePointerHint, Qt::QueuedConnection);
}

// The long hint of the control under the pointer or of its nearest container that has one.
void TCorvane_Form::UpdatePointerHint() {
    m_hintUpdatePending = false;
    QString hint;
    for (QWidget* w = m_hintControl; w && hint.isEmpty(); w = w == this ? nullptr : w->parentWidget())
        hint = w->statusTip();
    AppHintHandler(hint);
}

bool TCorvane_Form::event(QEvent* event) {
    // Status tips of controls and of highlighted commands go to the last panel, not over the bar.
    if (event->type() == QEvent::StatusTip) {
        AppHintHandler(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// The visible controls of the grid panel in their focus order: the unit panels, then the grid
// buttons in creation order. Moves to the next or previous one, wrapping at the ends. The unit
// panels are no tab stops, but the arrow keys visit them all the same.
bool TCorvane_Form::MoveGridPanelFocus(QWidget* from, bool forward) {
    std::vector<QWidget*> order;
    for (int unit : {0, 1, 3, 2})
        if (QWidget* panel = UnitPanels[static_cast<std::size_t>(unit)]; panel && panel->isVisible())
            order.push_back(panel);
    for (QPushButton* button : CrosspointGrid)
        if (button && button->isVisible()) order.push_back(button);
    const auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return false;
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const std::ptrdiff_t i = ((at - order.begin()) + (forward ? 1 : n - 1)) % n;
    order[static_cast<std::size_t>(i)]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool TCorvane_Form::AppMessageHandler(QObject* target, QKeyEvent* key) {
    auto* widget = qobject_cast<QWidget*>(target);
    // Keys for a dialog, a message box or an open menu are theirs alone.
    const bool inWindow = widget && widget->window() == this && !QApplication::activeModalWidget() &&
                          !QApplication::activePopupWidget();
    if (inWindow) {
        const int code = key->key();
        const bool vertical = code == Qt::Key_Up || code == Qt::Key_Down;
        const bool arrow = vertical || code == Qt::Key_Left || code == Qt::Key_Right;
        auto* button = qobject_cast<CrosspointButton*>(widget);
        if (button && button->parentWidget() != Panel1) button = nullptr;

        // Up and Down stay in the column, with any modifier held; the flag keeps its label yellow
        // across the move.
        if (button && vertical && button->column() < grid::kNoLineColumn) {
            ColumnMoveFlag = 1;
            const int row =
                grid::ColumnMoveTarget(button->row(), code == Qt::Key_Up, m_state.ReverseMode != 0);
            crosspoint(row, button->column())->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (arrow && widget->parentWidget() == Panel1)
            return MoveGridPanelFocus(widget, code == Qt::Key_Right || code == Qt::Key_Down);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && (code == Qt::Key_Space || code == Qt::Key_Return || code == Qt::Key_Enter)) {
            if (auto* push = qobject_cast<QPushButton*>(widget); push && push->isEnabled()) {
                // A held key clicks once; its repeats are swallowed, or each would send again.
                if (!key->isAutoRepeat()) push->click();
                return true;
            }
        }
    }

    // Insert, whatever the modifiers and from the keypad too, opens the names dialog. The key still
    // reaches its window afterwards.
    // The hook sees a press again at each parent it travels up to: open once per press. The event
    // alone cannot tell, as the next press may be built where this one was.
    if (key->key() == Qt::Key_Insert && inWindow) {
        const bool travelling =
            key == m_insertPress && m_insertReached && m_insertReached->parent() == target;
        m_insertPress = key;
        m_insertReached = target;
        if (!travelling) {
            OpenNamesDialog();
            // The dialog's run may have built other presses where this one lives; this one still
            // travels on from here.
            m_insertPress = key;
            m_insertReached = target;
        }
    }

    return false;
}

}  // namespace corvane
