#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include <cmath>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/messageboxnotifier.h"
#include "formfixture.h"
#include "view/applicationstyle.h"
#include "view/namesdialog.h"
#include "view/picturetooltips.h"

using namespace corvane;

namespace {

// The least a text may stand out from what is drawn behind it.
constexpr double kReadable = 4.5;

double Luminance(QRgb pixel) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

// The contrast of a text in a rectangle of a grab: its commonest colour is taken for the
// background, and the pixel furthest from it in luminance for the text.
double TextContrast(const QImage& grab, const QRect& rect) {
    const QImage image = grab.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y) & 0xffffff];
    if (counts.empty()) return 0;
    QRgb background = counts.begin()->first;
    for (const auto& [colour, count] : counts)
        if (count > counts[background]) background = colour;
    const double behind = Luminance(background);
    double text = behind;
    for (const auto& [colour, count] : counts)
        if (std::abs(Luminance(colour) - behind) > std::abs(text - behind)) text = Luminance(colour);
    return (std::max(text, behind) + 0.05) / (std::min(text, behind) + 0.05);
}

struct Place {
    std::string name;
    double contrast;
};

QImage Grab(QWidget* widget) {
    return widget->grab().toImage();
}

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Every place of the window where a text is drawn, with the contrast of that text.
std::vector<Place> MeasureEveryText(MainWindow& window) {
    std::vector<Place> places;
    const WindowCommands& c = window.commands();
    QMenuBar* bar = window.menuBar();
    const auto title = [&](const char* name, QMenu* menu) {
        places.push_back({name, TextContrast(Grab(bar), bar->actionGeometry(menu->menuAction()))});
    };
    title("File title, closed", c.fileMenu);
    title("Matrix title, closed", c.matrixMenu);

    bar->setActiveAction(c.fileMenu->menuAction());
    Settle();
    title("File title, open", c.fileMenu);
    places.push_back({"File entry", TextContrast(Grab(c.fileMenu), c.fileMenu->actionGeometry(c.newFile))});
    c.fileMenu->hide();

    bar->setActiveAction(c.matrixMenu->menuAction());
    Settle();
    title("Matrix title, open", c.matrixMenu);
    const QImage matrix = Grab(c.matrixMenu);
    const QRect checked = c.matrixMenu->actionGeometry(c.arrangements[0]);
    places.push_back({"Matrix radio mark",
                      TextContrast(matrix, checked.adjusted(0, 0, checked.height() - checked.width(), 0))});
    places.push_back({"Matrix entry", TextContrast(matrix, c.matrixMenu->actionGeometry(c.arrangements[1]))});
    c.matrixMenu->hide();
    Settle();

    for (int i = 0; i < 2; ++i) {
        QLabel* panel = window.statusPanel(i);
        places.push_back(
            {"status panel " + std::to_string(i), TextContrast(Grab(panel), panel->contentsRect())});
    }

    {
        NamesDialog dialog(window.controller().names(), window.controller().model(), &window);
        dialog.show();
        Settle();
        const QImage grab = Grab(&dialog);
        const auto* label = dialog.findChild<AngledLabel*>();
        const auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("lineName1"));
        places.push_back({"names dialog label", TextContrast(grab, label->geometry())});
        places.push_back(
            {"names dialog field", TextContrast(grab, field->geometry().adjusted(3, 3, -3, -3))});
    }

    QWidget* unitPanel = window.unitPanel(0);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), unitPanel->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(unitPanel, &help);
    Settle();
    if (PictureToolTipWindow* hint = window.toolTips()->hintWindow()) {
        const QRect text = hint->rect().adjusted(window.toolTips()->picture().width() + 8, 3, -3, -3);
        places.push_back({"hint window", TextContrast(Grab(hint), text)});
        hint->hide();
    } else {
        ADD_FAILURE() << "no hint window";
    }

    // The message box as the notifier shows it, grabbed while it waits for its answer.
    QTimer::singleShot(0, [&places] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        Settle();
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        places.push_back(
            {"message box", TextContrast(Grab(box), QRect(label->mapTo(box, QPoint()), label->size()))});
        box->done(QMessageBox::Ok);
    });
    MessageBoxNotifier notifier;
    notifier.showMessage("ERROR", "Could not find the unit", MessageIcon::Error);
    return places;
}

void ExpectEveryTextReadable(MainWindow& window) {
    const std::vector<Place> places = MeasureEveryText(window);
    EXPECT_EQ(places.size(), 13u);
    for (const Place& place : places) {
        std::cout << "  " << place.name << ": " << place.contrast << ":1\n";
        EXPECT_GE(place.contrast, kReadable) << place.name;
    }
}

// Every control the keyboard reaches, by Tab or by the arrows (the unit panels), shows that it
// has the focus: the window looks different with the focus on it and with no focus at all.
void ExpectFocusShown(MainWindow& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    std::vector<QWidget*> reached;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && w->window() == &window)
            reached.push_back(w);
    for (int unit = 0; unit < kUnits; ++unit)
        if (window.unitPanel(unit)->isVisible()) reached.push_back(window.unitPanel(unit));
    EXPECT_GT(reached.size(), 80u);  // the crosspoints, the memory and function keys, a unit panel
    // Styles mark the focus once it has moved by the keyboard, as an operator's Tab moves it.
    reached.front()->setFocus();
    QTest::keyClick(reached.front(), Qt::Key_Tab);
    for (QWidget* control : reached) {
        if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
        Settle();
        const QImage unfocused = Grab(&window);
        control->setFocus(Qt::TabFocusReason);
        Settle();
        EXPECT_NE(Grab(&window), unfocused) << control->accessibleName().toStdString();
    }
}

bool IsDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 &&
           palette.color(QPalette::WindowText).lightness() > 128;
}

// The dark palette the GTK theme hands over in Adwaita's dark style, pale tool tips included.
QPalette DarkPalette() {
    const QColor light(0xf0, 0xf0, 0xf0);
    QPalette dark(QColor(0x32, 0x32, 0x32));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, QPalette::HighlightedText})
        dark.setColor(role, light);
    dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    dark.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    dark.setColor(QPalette::ToolTipText, Qt::black);
    return dark;
}

class Readability : public testing::Test {
  protected:
    static void SetUpTestSuite() { QApplication::setStyle(new ApplicationStyle); }

    void SetUp() override { m_palette = QApplication::palette(); }
    void TearDown() override {
        f.window.reset();
        QApplication::setPalette(m_palette);
    }

    MainWindow& open() {
        MainWindow& window = ShowOnScreen(f.open());
        Settle();
        return window;
    }

    FormFixture f;
    QPalette m_palette;
};

}  // namespace

// The palette the desktop hands over; under Xvfb with the GTK theme set dark (CORVANE_DESKTOP_DARK)
// it must really be dark, or the run proves nothing.
TEST_F(Readability, EveryTextIsReadableInTheDesktopsPalette) {
    if (qEnvironmentVariableIsSet("CORVANE_DESKTOP_DARK")) {
        ASSERT_TRUE(IsDark(QApplication::palette()))
            << "the desktop's dark palette did not reach the program";
    }
    ExpectEveryTextReadable(open());
    ExpectFocusShown(*f.window);
}

TEST_F(Readability, EveryTextIsReadableInADarkApplicationPalette) {
    QApplication::setPalette(DarkPalette());
    ASSERT_TRUE(IsDark(QApplication::palette()));
    ExpectEveryTextReadable(open());
    ExpectFocusShown(*f.window);
}

// A desktop switched to its dark style while the program runs.
TEST_F(Readability, EveryTextFollowsThePaletteChangedWhileRunning) {
    MainWindow& window = open();
    QApplication::setPalette(DarkPalette());
    Settle();
    ExpectEveryTextReadable(window);
}
