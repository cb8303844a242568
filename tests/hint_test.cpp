#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <stdexcept>

#include "app/picturehintwindow.h"
#include "formfixture.h"
#include "version.h"
#include "view/bevelpanel.h"
#include "view/crosspointbutton.h"
#include "view/led.h"

using namespace corvane;

namespace {

class Hints : public testing::Test {
  protected:
    TCorvane_Form& open() {
        f.firmware().state().LineRoute[0][0][2] = 0;
        TCorvane_Form& form = f.open();
        form.state().SelectedUnit = 0;
        form.names().setDefaults();
        form.RefreshGrid();
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
    QString hintPanel() { return f.form->StatusPanels[3]->text(); }
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
    TCorvane_Form& form = open();
    EXPECT_EQ(form.centralWidget()->geometry().topLeft(), QPoint(0, kCentralTop));
    EXPECT_EQ(form.Panel1->geometry(), ClientRect(0, 55, 785, 410));
    EXPECT_FALSE(form.Panel1->background().isNull());
    EXPECT_FALSE(form.OkButton->isVisible());
    EXPECT_EQ(form.OkButton->property("Tag").toInt(), 4);
    EXPECT_FALSE(form.Leds[11]->isVisible());
    EXPECT_EQ(form.statusBar()->height(), 19);
    const int widths[] = {150, 100, 100};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(form.StatusPanels[i]->width(), widths[i]);
    EXPECT_EQ(form.StatusPanels[0]->text(), QStringLiteral("Memory: 1"));
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("Unit: 1"));
    EXPECT_TRUE(form.StatusPanels[2]->text().isEmpty());

    const QList<QAction*> file = form.FileMenu->actions();
    ASSERT_EQ(file.size(), 8);
    EXPECT_EQ(file[0], form.FileNew1);
    EXPECT_EQ(file[2], form.ReopenMenu->menuAction());
    EXPECT_TRUE(file[3]->isSeparator());
    EXPECT_EQ(file[7], form.FileExit1);
    EXPECT_TRUE(form.MatrixCommands[0]->isChecked());
    const QList<QAction*> tools = form.ToolActionBar1->actions();
    ASSERT_EQ(tools.size(), 6);
    EXPECT_EQ(tools[0], form.FileOpen1);
    EXPECT_EQ(tools[5], form.FileExit1);

    form.FileExit1->trigger();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Hints, MenuTitlesSitInTheMiddleOfTheBarAndTheToolBarHasAnEdgeAllRound) {
    TCorvane_Form& form = open();
    QMenuBar* bar = form.ActionMainMenuBar1;
    ASSERT_EQ(bar->geometry(), QRect(0, 0, 785, 24));
    const QRgb face = bar->palette().color(QPalette::Button).rgb();
    const QRgb line = bar->palette().color(QPalette::Dark).rgb();
    const QRgb white = qRgb(255, 255, 255);
    const QRect file = bar->actionGeometry(form.FileMenu->menuAction());
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
    ASSERT_TRUE(form.FileMenu->isVisible());
    shot = bar->grab().toImage();
    EXPECT_EQ(shot.pixel(file.left() + 1, 2), white);
    EXPECT_EQ(shot.pixel(file.left() + 1, 23), line);
    form.FileMenu->hide();

    // The tool bar: an etched edge, a dark and a light line, on all four sides.
    QToolBar* tools = form.ToolActionBar1;
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
    TCorvane_Form& form = open();
    rest(form.crosspointButton(0, 2));
    EXPECT_EQ(hintPanel(), QStringLiteral(" Line 03 connected with Channel 01"));
    // An open button has no hint and neither have its containers.
    rest(form.crosspointButton(1, 2));
    EXPECT_TRUE(hintPanel().isEmpty());

    // A control without a hint shows its container's.
    rest(form.crosspointButton(0, 2));
    form.Panel1->setStatusTip(QStringLiteral("The grid"));
    rest(form.crosspointButton(1, 3));
    EXPECT_EQ(hintPanel(), QStringLiteral("The grid"));
    EXPECT_TRUE(form.StatusPanels[2]->text().isEmpty());
}

TEST_F(Hints, HighlightedCommandShowsItsLongHint) {
    TCorvane_Form& form = open();
    QMenuBar* bar = form.ActionMainMenuBar1;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form.FileMenu->menuAction()).center());
    ASSERT_TRUE(form.FileMenu->isVisible());
    form.FileMenu->setActiveAction(form.FileSave);
    EXPECT_EQ(hintPanel(), QStringLiteral("Saves the active matrix file"));
    form.FileMenu->hide();
}

TEST_F(Hints, PopUpHintIsThePictureWindowWithTheShortPart) {
    TCorvane_Form& form = open();
    ASSERT_TRUE(form.HintNuevo->installed());
    askForHint(form.crosspointButton(0, 2));
    PictureHintWindow* window = form.HintNuevo->hintWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->text(), QStringLiteral("Line 03-Channel 01 "));
    EXPECT_EQ(window->height(), 36);  // one line of text beside the 32-pixel picture
    const int textWidth = QFontMetrics(form.HintNuevo->Font).horizontalAdvance(window->text());
    EXPECT_NEAR(window->width(), textWidth + 44, 1);

    // The picture's lower-left colour lets the window's colour show through.
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2 + 31), form.HintNuevo->Color);

    // A key hides it; the tool bar's commands pop up their short part in the same window.
    QTest::keyClick(&form, Qt::Key_Shift);
    EXPECT_FALSE(window->isVisible());
    QWidget* saveButton = form.ToolActionBar1->widgetForAction(form.FileSave);
    askForHint(saveButton);
    EXPECT_EQ(window->text(), QStringLiteral("Save"));
}

TEST_F(Hints, PopUpHintStaysOnThePointersScreenWithItsBorderOnEverySide) {
    TCorvane_Form& form = open();
    QWidget* button = form.crosspointButton(0, 2);
    const QRect screen = form.screen()->geometry();
    // The pointer in the screen's bottom-right corner: the hint goes left of it and above it.
    const QPoint corner = screen.bottomRight() - QPoint(2, 2);
    QHelpEvent help(QEvent::ToolTip, button->mapFromGlobal(corner), corner);
    QApplication::sendEvent(button, &help);
    PictureHintWindow* window = form.HintNuevo->hintWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(screen.contains(window->geometry()))
        << window->geometry().x() << "," << window->geometry().y();
    EXPECT_EQ(window->geometry().bottomRight(), corner - QPoint(1, 1));

    // A dark rim all round, so that the window stands out over the white grid buttons; the lowered
    // bevel and the picture sit inside it.
    const QImage shot = window->grab().toImage();
    const QColor rim = window->palette().color(QPalette::ToolTipText);
    EXPECT_LT(rim.lightness(), 100);
    const int w = shot.width(), h = shot.height();
    for (const QPoint at : {QPoint(w / 2, 0), QPoint(0, h / 2), QPoint(w / 2, h - 1), QPoint(w - 1, h / 2)})
        EXPECT_EQ(shot.pixel(at), rim.rgb()) << at.x() << "," << at.y();
    EXPECT_EQ(shot.pixel(w / 2, 1), window->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(w / 2, h - 2), window->palette().color(QPalette::Light).rgb());
}

TEST_F(Hints, OnActivateHintMayChangeTheText) {
    TCorvane_Form& form = open();
    QWidget* seen = nullptr;
    form.HintNuevo->OnActivateHint = [&seen](PictureHintWindow&, QString& hint, QWidget* control) {
        hint += QStringLiteral("!");
        seen = control;
    };
    askForHint(form.crosspointButton(0, 2));
    EXPECT_EQ(form.HintNuevo->hintWindow()->text(), QStringLiteral("Line 03-Channel 01 !"));
    EXPECT_EQ(seen, form.crosspointButton(0, 2));
}

TEST_F(Hints, ASecondHintComponentIsRefused) {
    TCorvane_Form& form = open();
    try {
        THintComponent second(&form);
        FAIL() << "a second component was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Ya existe un Componente HintComponent\r\nen el Form");
    }
    QObject other;
    EXPECT_NO_THROW(THintComponent first(&other));
}

TEST_F(Hints, CtrlOOpensFromAnywhereInTheWindow) {
    TCorvane_Form& form = open();
    QSignalSpy opened(form.FileOpen1, &QAction::triggered);
    std::vector<std::string> titles;
    form.RunFileDialog =
        [&titles](const TCorvane_Form::FileDialogRequest& request) -> std::optional<std::string> {
        titles.push_back(request.title);
        return std::nullopt;  // cancelled
    };
    QTest::keyClick(form.crosspointButton(2, 5), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(form.statusBar(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(titles, (std::vector<std::string>{"Opens a matrix file", "Opens a matrix file"}));
}

TEST_F(Hints, HelpAboutShowsTheNameAndTheVersionFromTheBuild) {
    TCorvane_Form& form = open();
    const QList<QAction*> menus = form.ActionMainMenuBar1->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Help"));  // after Matrix
    form.HelpAbout->trigger();
    ASSERT_FALSE(f.notifier.messages.empty());
    EXPECT_EQ(f.notifier.messages.back().title, "About CORVANE Control");
    EXPECT_EQ(
        f.notifier.messages.back().text.rfind(std::string("CORVANE Control\nVersion ") + CORVANE_VERSION, 0),
        0u);
}
