#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <stdexcept>

#include "formfixture.h"
#include "version.h"
#include "view/bevelpanel.h"
#include "view/crosspointbutton.h"
#include "view/led.h"
#include "view/picturetooltips.h"
#include "view/recallpanel.h"

using namespace corvane;

namespace {

class Hints : public testing::Test {
  protected:
    MainWindow& open() {
        f.firmware().state().LineRoute[0][0][2] = 0;
        MainWindow& window = f.open();
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 0; });
        EditNames(window.controller(), [&](corvane::NameTable& n) { n.setDefaults(); });
        Q_EMIT window.controller().gridChanged();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }
    QString hintPanel() { return f.window->statusPanel(kHintStatusPanel)->text(); }
    void rest(QWidget* widget) {
        QTest::mouseMove(widget);
        QApplication::processEvents();
    }
    // Asks for the pop-up hint of a widget the way the toolkit does when the pointer rests on it.
    void askForHint(QWidget* widget) {
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(widget, &help);
    }

    FormFixture f;
};

}  // namespace

TEST_F(Hints, WindowLayoutAndStatusBar) {
    MainWindow& window = open();
    EXPECT_EQ(window.centralWidget()->geometry().topLeft(), QPoint(0, kCentralTop));
    EXPECT_EQ(window.gridPanel()->geometry(), ClientRect(0, 55, 785, 410));
    EXPECT_FALSE(window.gridPanel()->rowColours().isNull());
    EXPECT_FALSE(window.okKey()->isVisible());
    EXPECT_EQ(window.functionKeyTag(window.okKey()), kOkTag);
    EXPECT_EQ(window.functionKeyTag(window.recallPanel()->key(0)), std::nullopt);
    EXPECT_FALSE(window.okLamp()->isVisible());
    EXPECT_EQ(window.statusBar()->height(), 19);
    const int widths[] = {150, 100, 100};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(window.statusPanel(i)->width(), widths[i]);
    EXPECT_EQ(window.statusPanel(0)->text(), QStringLiteral("Memory: 1"));
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 1"));
    EXPECT_TRUE(window.statusPanel(2)->text().isEmpty());

    const QList<QAction*> file = window.commands().fileMenu->actions();
    ASSERT_EQ(file.size(), 8);
    EXPECT_EQ(file[0], window.commands().newFile);
    EXPECT_EQ(file[2], window.commands().recentFilesMenu->menuAction());
    EXPECT_TRUE(file[3]->isSeparator());
    EXPECT_EQ(file[7], window.commands().exit);
    EXPECT_TRUE(window.commands().arrangements[0]->isChecked());
    const QList<QAction*> tools = window.commands().toolBar->actions();
    ASSERT_EQ(tools.size(), 6);
    EXPECT_EQ(tools[0], window.commands().open);
    EXPECT_EQ(tools[5], window.commands().exit);

    window.commands().exit->trigger();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Hints, MenuTitlesSitInTheMiddleOfTheBarAndTheToolBarHasAnEdgeAllRound) {
    MainWindow& window = open();
    QMenuBar* bar = window.menuBar();
    ASSERT_EQ(bar->geometry(), QRect(0, 0, 785, 24));
    const QRgb face = bar->palette().color(QPalette::Button).rgb();
    const QRgb line = bar->palette().color(QPalette::Dark).rgb();
    const QRgb white = qRgb(255, 255, 255);
    const QRect file = bar->actionGeometry(window.commands().fileMenu->menuAction());
    QImage shot = bar->grab().toImage();
    // One line along the bottom edge, under the titles as under the empty part; nothing else
    // beside the titles' text.
    for (int x : {2, file.left() + 1, 400, 780}) {
        EXPECT_EQ(shot.pixel(x, 23), line) << x;
        for (int y = 0; y < 23; ++y) ASSERT_EQ(shot.pixel(x, y), face) << x << "," << y;
    }
    // Each title's text is centred in the height above the line.
    for (QAction* title : bar->actions()) {
        const QRect r = bar->actionGeometry(title);
        int top = 23, bottom = -1;
        for (int y = 0; y < 23; ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (shot.pixel(x, y) != face) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        EXPECT_LE(std::abs(top - (22 - bottom)), 1)
            << title->text().toStdString() << " " << top << ".." << bottom;
    }

    // The title under the pointer and the title whose menu is open are white.
    QMouseEvent move(QEvent::MouseMove, QPointF(file.center()), QPointF(bar->mapToGlobal(file.center())),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    EXPECT_EQ(bar->grab().toImage().pixel(file.left() + 1, 2), white);
    QTest::mouseClick(bar, Qt::LeftButton, {}, file.center());
    ASSERT_TRUE(window.commands().fileMenu->isVisible());
    shot = bar->grab().toImage();
    EXPECT_EQ(shot.pixel(file.left() + 1, 2), white);
    EXPECT_EQ(shot.pixel(file.left() + 1, 23), line);
    window.commands().fileMenu->hide();

    // The tool bar: an etched edge, a dark and a light line, on all four sides.
    QToolBar* tools = window.commands().toolBar;
    EXPECT_EQ(tools->geometry(), QRect(0, 24, 785, 28));
    const QImage edge = tools->grab().toImage();
    const QRgb dark = tools->palette().color(QPalette::Dark).rgb();
    const QRgb light = tools->palette().color(QPalette::Light).rgb();
    const int w = edge.width(), h = edge.height();
    EXPECT_EQ(edge.pixel(w / 2, 0), dark);
    EXPECT_EQ(edge.pixel(w / 2, 1), light);
    EXPECT_EQ(edge.pixel(w / 2, h - 2), dark);
    EXPECT_EQ(edge.pixel(w / 2, h - 1), light);
    EXPECT_EQ(edge.pixel(0, h / 2), dark);
    EXPECT_EQ(edge.pixel(1, h / 2), light);
    EXPECT_EQ(edge.pixel(w - 2, h / 2), dark);
    EXPECT_EQ(edge.pixel(w - 1, h / 2), light);
}

TEST_F(Hints, PanelThreeShowsTheLongHintOfTheControlUnderThePointer) {
    MainWindow& window = open();
    rest(window.grid().button(0, 2));
    EXPECT_EQ(hintPanel(), QStringLiteral(" Line 03 connected with Channel 01"));
    // An open button has no hint and neither have its containers.
    rest(window.grid().button(1, 2));
    EXPECT_TRUE(hintPanel().isEmpty());

    // A control without a hint shows its container's.
    rest(window.grid().button(0, 2));
    window.gridPanel()->setStatusTip(QStringLiteral("The grid"));
    rest(window.grid().button(1, 3));
    EXPECT_EQ(hintPanel(), QStringLiteral("The grid"));
    EXPECT_TRUE(window.statusPanel(2)->text().isEmpty());
}

TEST_F(Hints, HighlightedCommandShowsItsLongHint) {
    MainWindow& window = open();
    QMenuBar* bar = window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(window.commands().fileMenu->menuAction()).center());
    ASSERT_TRUE(window.commands().fileMenu->isVisible());
    window.commands().fileMenu->setActiveAction(window.commands().save);
    EXPECT_EQ(hintPanel(), QStringLiteral("Saves the active matrix file"));
    window.commands().fileMenu->hide();
}

TEST_F(Hints, PopUpHintIsThePictureWindowWithTheShortPart) {
    MainWindow& window = open();
    ASSERT_TRUE(window.toolTips()->installed());
    askForHint(window.grid().button(0, 2));
    PictureToolTipWindow* hintWindow = window.toolTips()->hintWindow();
    ASSERT_NE(hintWindow, nullptr);
    EXPECT_TRUE(hintWindow->isVisible());
    EXPECT_EQ(hintWindow->text(), QStringLiteral("Line 03-Channel 01 "));
    EXPECT_EQ(hintWindow->height(), 36);  // one line of text beside the 32-pixel picture
    const int textWidth = QFontMetrics(window.toolTips()->font()).horizontalAdvance(hintWindow->text());
    EXPECT_NEAR(hintWindow->width(), textWidth + 44, 1);

    // The picture's lower-left colour lets the window's colour show through.
    const QImage shot = hintWindow->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2 + 31), window.toolTips()->color());

    // A key hides it; the tool bar's commands pop up their short part in the same window.
    QTest::keyClick(&window, Qt::Key_Shift);
    EXPECT_FALSE(hintWindow->isVisible());
    QWidget* saveButton = window.commands().toolBar->widgetForAction(window.commands().save);
    askForHint(saveButton);
    EXPECT_EQ(hintWindow->text(), QStringLiteral("Save"));
}

TEST_F(Hints, PopUpHintStaysOnThePointersScreenWithItsBorderOnEverySide) {
    MainWindow& window = open();
    QWidget* button = window.grid().button(0, 2);
    const QRect screen = window.screen()->geometry();
    // The pointer in the screen's bottom-right corner: the hint goes left of it and above it.
    const QPoint corner = screen.bottomRight() - QPoint(2, 2);
    QHelpEvent help(QEvent::ToolTip, button->mapFromGlobal(corner), corner);
    QApplication::sendEvent(button, &help);
    PictureToolTipWindow* hintWindow = window.toolTips()->hintWindow();
    ASSERT_NE(hintWindow, nullptr);
    EXPECT_TRUE(screen.contains(hintWindow->geometry()))
        << hintWindow->geometry().x() << "," << hintWindow->geometry().y();
    EXPECT_EQ(hintWindow->geometry().bottomRight(), corner - QPoint(1, 1));

    // A dark rim all round, so that the window stands out over the white grid buttons; the lowered
    // bevel and the picture sit inside it.
    const QImage shot = hintWindow->grab().toImage();
    const QColor rim = hintWindow->palette().color(QPalette::ToolTipText);
    EXPECT_LT(rim.lightness(), 100);
    const int w = shot.width(), h = shot.height();
    for (const QPoint at : {QPoint(w / 2, 0), QPoint(0, h / 2), QPoint(w / 2, h - 1), QPoint(w - 1, h / 2)})
        EXPECT_EQ(shot.pixel(at), rim.rgb()) << at.x() << "," << at.y();
    EXPECT_EQ(shot.pixel(w / 2, 1), hintWindow->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(w / 2, h - 2), hintWindow->palette().color(QPalette::Light).rgb());
}

TEST_F(Hints, TheHookMayChangeTheText) {
    MainWindow& window = open();
    QWidget* seen = nullptr;
    window.toolTips()->setHook([&seen](PictureToolTipWindow&, QString& hint, QWidget* control) {
        hint += QStringLiteral("!");
        seen = control;
    });
    askForHint(window.grid().button(0, 2));
    EXPECT_EQ(window.toolTips()->hintWindow()->text(), QStringLiteral("Line 03-Channel 01 !"));
    EXPECT_EQ(seen, window.grid().button(0, 2));
}

TEST_F(Hints, ASecondHintComponentIsRefused) {
    MainWindow& window = open();
    try {
        PictureToolTips second(&window);
        FAIL() << "a second component was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Ya existe un Componente HintComponent\r\nen el Form");
    }
    QObject other;
    EXPECT_NO_THROW(PictureToolTips first(&other));
}

TEST_F(Hints, CtrlOOpensFromAnywhereInTheWindow) {
    MainWindow& window = open();
    QSignalSpy opened(window.commands().open, &QAction::triggered);
    std::vector<std::string> titles;
    window.fileDialogs().setRunner([&titles](const FileDialogRequest& request) -> std::optional<std::string> {
        titles.push_back(request.title);
        return std::nullopt;  // cancelled
    });
    QTest::keyClick(window.grid().button(2, 5), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(window.statusBar(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(titles, (std::vector<std::string>{"Opens a matrix file", "Opens a matrix file"}));
}

TEST_F(Hints, HelpAboutShowsTheNameAndTheVersionFromTheBuild) {
    MainWindow& window = open();
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Help"));  // after Matrix
    window.commands().about->trigger();
    ASSERT_FALSE(f.notifier.messages.empty());
    EXPECT_EQ(f.notifier.messages.back().title, "About CORVANE Control");
    EXPECT_EQ(
        f.notifier.messages.back().text.rfind(std::string("CORVANE Control\nVersion ") + CORVANE_VERSION, 0),
        0u);
}
