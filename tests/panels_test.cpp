#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QTest>

#include "formfixture.h"
#include "view/bevelpanel.h"
#include "view/led.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace {

constexpr QRgb kLime = qRgb(0, 255, 0);
constexpr QRgb kGrey = qRgb(128, 128, 128);

// A panel's position within the grid panel, which stands 55 pixels down the client area.
QPoint placeInGridPanel(MainWindow& window, int unit) {
    const QPoint origin = window.gridPanel() ? QPoint(0, 0) : ClientRect(0, 55, 0, 0).topLeft();
    return window.unitPanel(unit)->pos() - origin;
}

bool shown(MainWindow& window, int unit) {
    return window.unitPanel(unit)->isVisibleTo(&window);
}

// The dot of row i, column j on the unit's picture, as its fill colour.
QRgb dot(MainWindow& window, int unit, int row, int column) {
    return window.unitPanel(unit)->picture().pixel(8 * column + 2, 8 * row + 2);
}

struct ShownForm {
    explicit ShownForm(int slaves = 3) : f(slaves) {}
    MainWindow& open() {
        MainWindow& window = f.open();
        ShowOnScreen(window);
        f.takeRequests();
        return window;
    }
    FormFixture f;
};

// The outermost ring of a bevel, grabbed from the screen: the colour along the middle of the top,
// left, bottom and right edges, as "top left bottom right" names of Light and Dark.
std::string outerRing(QWidget* panel) {
    const QImage shot = panel->grab().toImage();
    const QRgb light = panel->palette().color(QPalette::Light).rgb();
    const QRgb dark = panel->palette().color(QPalette::Dark).rgb();
    const auto name = [&](int x, int y) -> std::string {
        const QRgb c = shot.pixel(x, y);
        return c == light ? "light" : c == dark ? "dark" : QColor(c).name().toStdString();
    };
    const int w = shot.width(), h = shot.height();
    return name(w / 2, 0) + " " + name(0, h / 2) + " " + name(w / 2, h - 1) + " " + name(w - 1, h / 2);
}

}  // namespace

TEST(UnitPanels, AreBuiltAsDesignedAndInFrontOfTheGrid) {
    FormFixture f;
    MainWindow& window = f.open();
    const char* const hints[4][2] = {{"Unit: 1", "Master unit"},
                                     {"Unit: 2", "First slave unit"},
                                     {"Unit: 3", "Second slave unit"},
                                     {"Unit: 4", "Third slave unit"}};
    for (int u = 0; u < 4; ++u) {
        UnitPanel* panel = window.unitPanel(u);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->tag(), u);
        EXPECT_EQ(panel->objectName(), QStringLiteral("unitPicture%1").arg(u + 1));
        EXPECT_EQ(panel->size(), QSize(130, 46));
        EXPECT_EQ(panel->bevelWidth(), 2);
        EXPECT_EQ(panel->picture().size(), QSize(126, 40));
        EXPECT_EQ(panel->pictureWidth(), 126);
        EXPECT_EQ(panel->pictureHeight(), 42);
        EXPECT_EQ(panel->toolTip(), QString::fromLatin1(hints[u][0]));
        EXPECT_EQ(panel->statusTip(), QString::fromLatin1(hints[u][1]));
        // Stacked above every sibling created before them, the grid's buttons and labels among them.
        const QObjectList siblings = panel->parentWidget()->children();
        EXPECT_GE(siblings.indexOf(panel), siblings.size() - 4) << u;
    }
    EXPECT_EQ(placeInGridPanel(window, 0), QPoint(5, 5));
    EXPECT_EQ(window.unitPanel(0)->bevel(), Bevel::Lowered);  // the master is selected at first
    EXPECT_EQ(window.unitPanel(1)->bevel(), Bevel::Raised);
    // Tab order: the panels of units 1, 2, 4, 3.
    EXPECT_EQ(window.unitPanel(0)->nextInFocusChain(), window.unitPanel(1));
    EXPECT_EQ(window.unitPanel(1)->nextInFocusChain(), window.unitPanel(3));
    EXPECT_EQ(window.unitPanel(3)->nextInFocusChain(), window.unitPanel(2));
}

TEST(UnitPanels, RefreshShowsTheWorkMemorySelectionAndOrientation) {
    FormFixture f;
    f.firmware().state().LineRoute[1][0][3] = 2;
    f.firmware().state().ChannelRoute[1][0][2] = 3;
    f.firmware().state().SelectedUnit = 1;  // the image never carries the selection
    MainWindow& window = f.open();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    Q_EMIT window.controller().unitMapChanged(0);
    Q_EMIT window.controller().unitMapChanged(1);
    UnitPanel* panel = window.unitPanel(1);
    EXPECT_EQ(panel->bevel(), Bevel::Lowered);
    EXPECT_EQ(window.unitPanel(0)->bevel(), Bevel::Raised);
    EXPECT_EQ(dot(window, 1, 2, 3), kLime);
    EXPECT_EQ(dot(window, 1, 3, 3), kGrey);
    // The selected picture is the red one, the others the blue one.
    const QRgb selectedTone = panel->picture().pixel(125, 39);
    const QRgb normalTone = window.unitPanel(0)->picture().pixel(125, 39);
    EXPECT_GT(qRed(selectedTone), qBlue(selectedTone));
    EXPECT_GT(qBlue(normalTone), qRed(normalTone));

    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 1; });
    Q_EMIT window.controller().unitMapChanged(1);
    EXPECT_EQ(panel->size(), QSize(138, 38));
    EXPECT_EQ(panel->pictureWidth(), 134);
    EXPECT_EQ(panel->pictureHeight(), 34);
    EXPECT_EQ(panel->picture().size(), QSize(126, 40));
    EXPECT_EQ(dot(window, 1, 2, 3), kLime);  // channel 3 listens to line 4
    EXPECT_EQ(dot(window, 1, 2, 4), kGrey);
    // No fifth row in reverse routing: the picture shows through there.
    const QImage plain = QImage(QStringLiteral(":/unit-selected.png")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(panel->picture().pixel(2, 34), plain.pixel(2, 34));

    const QImage before = window.unitPanel(3)->picture();
    Q_EMIT window.controller().unitMapChanged(4);  // no such unit: nothing happens
    Q_EMIT window.controller().unitMapChanged(-1);
    EXPECT_EQ(window.unitPanel(3)->picture(), before);
}

TEST(Bevels, ReachThePanelsOuterEdgeOnEverySide) {
    FormFixture f;
    MainWindow& window = ShowOnScreen(f.open());
    const std::string raised = "light light dark dark", lowered = "dark dark light light";
    EXPECT_EQ(outerRing(window.gridPanel()), raised);
    EXPECT_EQ(outerRing(window.recallPanel()), raised);
    EXPECT_EQ(outerRing(window.functionsPanel()), raised);
    EXPECT_EQ(outerRing(window.unitPanel(0)), lowered);  // the selected unit
    EXPECT_EQ(outerRing(window.unitPanel(1)), raised);
    EXPECT_EQ(outerRing(window.statusPanel(0)), lowered);
    EXPECT_EQ(outerRing(window.statusPanel(1)), raised);
}

TEST(Bevels, BottomPanelsShowTheirPictureInsideATwoPixelBevel) {
    FormFixture f;
    MainWindow& window = ShowOnScreen(f.open());
    const QImage picture =
        QImage(QStringLiteral(":/recall-background.png")).convertToFormat(QImage::Format_RGB32);
    for (BevelPanel* panel : {static_cast<BevelPanel*>(window.recallPanel()),
                              static_cast<BevelPanel*>(window.functionsPanel())}) {
        SCOPED_TRACE(panel == window.recallPanel() ? "recall panel" : "function panel");
        EXPECT_EQ(panel->bevelWidth(), 2);
        const QImage shot = panel->grab().toImage();
        EXPECT_EQ(shot.pixel(1, 50), panel->palette().color(QPalette::Light).rgb());
        EXPECT_EQ(shot.pixel(shot.width() - 2, 50), panel->palette().color(QPalette::Dark).rgb());
        // The vertical gradient, from green at the top to pale grey, in a gap between the keys.
        const int gap = panel == window.recallPanel() ? 50 : 115;
        for (int y : {30, 82}) {
            const QColor want = picture.pixelColor(0, y), got = shot.pixelColor(gap, y);
            EXPECT_NEAR(got.red(), want.red(), 3) << y;
            EXPECT_NEAR(got.green(), want.green(), 3) << y;
            EXPECT_NEAR(got.blue(), want.blue(), 3) << y;
        }
        EXPECT_GT(shot.pixelColor(gap, 30).green() - shot.pixelColor(gap, 30).red(), 20);
    }
}

TEST(Arrangements, OneSlaveOffersThreeAndFallsBackFromTwoByTwo) {
    FormFixture f(1);
    MainWindow& window = f.open();
    // As if the settings held 2x2 with the fourth unit selected.
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.MatrixLayout = 7; });
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 3; });
    window.controller().showConfiguration();

    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(window.commands().arrangements[k]->isEnabled(), k == 0 || k == 1 || k == 4)
            << "Matrix" << k + 1;
    EXPECT_EQ(window.controller().state().MatrixLayout, 0);
    EXPECT_TRUE(window.commands().arrangements[0]->isChecked());
    EXPECT_EQ(window.controller().state().SelectedUnit, 0);
    EXPECT_TRUE(shown(window, 0));
    EXPECT_FALSE(shown(window, 1));
    EXPECT_FALSE(shown(window, 2));
    EXPECT_FALSE(shown(window, 3));
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 1"));
}

TEST(Arrangements, ALayoutNumberFromAFileNeverLeavesTheTables) {
    FormFixture f;
    MainWindow& window = f.open();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.MatrixLayout = 200; });
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 200; });
    window.controller().showConfiguration();
    EXPECT_FALSE(shown(window, 1));
    EXPECT_EQ(window.controller().state().SelectedUnit, 0);
    EXPECT_EQ(window.controller().state().MatrixLayout, 0);
    EXPECT_TRUE(window.commands().arrangements[0]->isChecked());
    window.controller().setArrangement(8);  // not a command: nothing changes
    window.controller().setArrangement(-1);
    EXPECT_EQ(window.controller().state().MatrixLayout, 0);
}

TEST(Arrangements, ChoosingOneCommandMovesTheMarkAndLowersTheSelection) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(3);  // 4x1
    QTest::mouseClick(window.unitPanel(2), Qt::LeftButton);
    ASSERT_EQ(window.controller().state().SelectedUnit, 2);
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.UnsavedFlags[2] = 1; });
    window.controller().showConfiguration();

    window.controller().setArrangement(4);  // 1x2
    EXPECT_TRUE(window.commands().arrangements[4]->isChecked());
    EXPECT_FALSE(window.commands().arrangements[3]->isChecked());
    EXPECT_EQ(window.controller().state().MatrixLayout, 4);
    EXPECT_EQ(window.controller().state().SelectedUnit, 1);
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 2"));
    EXPECT_EQ(window.statusPanel(0)->text(), QStringLiteral("Memory: 1"));  // unit 1's, saved
    EXPECT_TRUE(window.recallPanel()->lamp(0)->isLit());
    EXPECT_EQ(window.unitPanel(1)->bevel(), Bevel::Lowered);
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), 50);
    EXPECT_TRUE(s.f.takeRequests().empty());  // an arrangement is the program's own business
}

TEST(Arrangements, PanelsStandWhereTheArrangementPutsThemInBothOrientations) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(7);  // 2x2
    EXPECT_EQ(placeInGridPanel(window, 1), QPoint(141, 5));
    EXPECT_EQ(placeInGridPanel(window, 2), QPoint(5, 60));
    EXPECT_EQ(placeInGridPanel(window, 3), QPoint(141, 60));

    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 1; });
    window.controller().showConfiguration();
    for (int u = 0; u < 4; ++u) EXPECT_EQ(window.unitPanel(u)->size(), QSize(138, 38)) << u;
    EXPECT_EQ(placeInGridPanel(window, 0), QPoint(5, 5));
    EXPECT_EQ(placeInGridPanel(window, 3), QPoint(149, 52));

    window.controller().setArrangement(4);  // 1x2: the hidden panels keep their last place
    EXPECT_EQ(placeInGridPanel(window, 1), QPoint(5, 52));
    EXPECT_FALSE(shown(window, 3));
    EXPECT_EQ(placeInGridPanel(window, 3), QPoint(149, 52));

    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 0; });
    window.controller().setArrangement(6);  // 1x4
    EXPECT_EQ(placeInGridPanel(window, 2), QPoint(5, 115));
    EXPECT_EQ(placeInGridPanel(window, 3), QPoint(5, 170));
    EXPECT_EQ(window.unitPanel(3)->size(), QSize(130, 46));
}

TEST(Arrangements, TwoByTwoSharesTheLowestUnitsNames) {
    FormFixture f;
    MainWindow& window = f.open();
    EditNames(window.controller(), [](NameTable& names) {
        for (int u = 0; u < 4; ++u) {
            const std::string n = std::to_string(u);
            for (int e = 0; e < 16; ++e) names.setLineName(u, e, "L" + n);
            for (int e = 0; e < 5; ++e) names.setChannelName(u, e, "C" + n);
        }
    });
    const NameTable& names = window.controller().names();
    window.controller().setArrangement(7);
    EXPECT_EQ(names.channelName(1, 0), "C0");
    EXPECT_EQ(names.lineName(1, 15), "L1");
    EXPECT_EQ(names.lineName(2, 0), "L0");
    EXPECT_EQ(names.channelName(2, 4), "C2");
    EXPECT_EQ(names.channelName(3, 3), "C2");
    EXPECT_EQ(names.lineName(3, 7), "L1");
}

TEST(UnitSelection, DraggingOffTheRightEdgeAndReleasingSelectsNothing) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(3);
    UnitPanel* panel = window.unitPanel(2);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_EQ(panel->bevel(), Bevel::Lowered);
    QTest::mouseMove(panel, QPoint(129, 20));  // picture x 127: past its width of 126
    EXPECT_EQ(panel->bevel(), Bevel::Raised);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(129, 20));
    EXPECT_EQ(window.controller().state().SelectedUnit, 0);
    EXPECT_EQ(panel->bevel(), Bevel::Raised);
    EXPECT_EQ(window.unitPanel(0)->bevel(), Bevel::Lowered);
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 1"));
}

TEST(UnitSelection, DraggingBackInBeforeReleasingSelects) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(3);
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.CurrentMemory[2] = 3; });
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.UnsavedFlags[2] = 1; });
    UnitPanel* panel = window.unitPanel(2);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 20));
    QTest::mouseMove(panel, QPoint(40, 60));  // below the picture
    EXPECT_EQ(panel->bevel(), Bevel::Raised);
    QTest::mouseMove(panel, QPoint(128, 44));  // x and y exactly at width and height: inside
    EXPECT_EQ(panel->bevel(), Bevel::Lowered);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(128, 44));

    EXPECT_EQ(window.controller().state().SelectedUnit, 2);
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), 50);
    EXPECT_EQ(panel->bevel(), Bevel::Lowered);
    EXPECT_EQ(window.unitPanel(0)->bevel(), Bevel::Raised);
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 3"));
    EXPECT_EQ(window.statusPanel(0)->text(), QStringLiteral("Memory: 4 - Unsaved"));
    EXPECT_TRUE(window.recallPanel()->lamp(3)->isLit());
    EXPECT_FALSE(window.recallPanel()->lamp(0)->isLit());
    EXPECT_TRUE(s.f.takeRequests().empty());
}

TEST(UnitSelection, LeftOfOrAboveThePictureStillCountsAsInside) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(1);
    UnitPanel* panel = window.unitPanel(1);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 20));
    QTest::mouseMove(panel, QPoint(-30, -30));
    EXPECT_EQ(panel->bevel(), Bevel::Lowered);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(-30, -30));
    EXPECT_EQ(window.controller().state().SelectedUnit, 1);
}

TEST(UnitSelection, ReleasingOverTheSelectedUnitChangesNothing) {
    ShownForm s;
    MainWindow& window = s.open();
    window.controller().setArrangement(1);
    RestoreKeys(window.controller(), Step::Idle, 3, 0);
    UnitPanel* master = window.unitPanel(0);
    QTest::mousePress(master, Qt::RightButton, {}, QPoint(40, 20));
    QTest::mouseMove(master, QPoint(200, 20));  // a move over the selected unit draws nothing
    EXPECT_EQ(master->bevel(), Bevel::Lowered);
    QTest::mouseRelease(master, Qt::RightButton, {}, QPoint(40, 20));
    EXPECT_EQ(window.controller().state().SelectedUnit, 0);
    EXPECT_EQ(window.controller().functionKeys().blinkCount(), 3);
    EXPECT_EQ(window.unitPanel(1)->bevel(), Bevel::Raised);
}

namespace {
QString spoken(QWidget* widget, QAccessible::Text text = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(widget)->text(text);
}
}  // namespace

TEST(ScreenReaders, HearEachControlAndEachChangeOfRouteMemoryAndUnit) {
    ShownForm s;
    MainWindow& window = s.open();
    EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(0, 2, "PROD"); });
    Q_EMIT window.controller().gridChanged();
    CrosspointButton* button = window.grid().button(1, 2);
    EXPECT_EQ(spoken(button), QStringLiteral("PROD to Channel 02, not connected"));
    EXPECT_EQ(spoken(button, QAccessible::Description), QStringLiteral("Unit 1, line 3, channel 2"));
    CrosspointButton* disconnected = window.grid().button(4, 0);
    EXPECT_EQ(spoken(disconnected), disconnected->isConnected()
                                        ? QStringLiteral("Line 01, Disconnected, connected")
                                        : QStringLiteral("Line 01, Disconnected, not connected"));
    EXPECT_EQ(spoken(window.unitPanel(0)), QStringLiteral("Unit 1, selected"));
    EXPECT_EQ(spoken(window.unitPanel(0), QAccessible::Description), QStringLiteral("Master unit"));
    EXPECT_EQ(spoken(window.recallPanel()->key(2)), QStringLiteral("Memory 3"));
    EXPECT_EQ(spoken(window.recallPanel()->lamp(0)), QStringLiteral("Memory 1 lamp, lit"));
    EXPECT_EQ(spoken(window.functionsPanel()->key(kStoreTag), QAccessible::Description),
              QStringLiteral("Store the work memory in the selected memory number"));
    EXPECT_EQ(spoken(window.functionsPanel()->lamp(kReverseTag)), QStringLiteral("REVERSE lamp, dark"));
    EXPECT_EQ(spoken(window.okLamp()), QStringLiteral("OK lamp, dark"));
    EXPECT_EQ(spoken(window.promptText()), QStringLiteral("Select Memory Number"));
    EXPECT_EQ(spoken(window.statusPanel(1)), QStringLiteral("Unit: 1"));
    EXPECT_EQ(spoken(window.statusPanel(1), QAccessible::Description), QStringLiteral("Selected unit"));

    // That each change is announced is seen on the desktop's accessibility bus (tests/atspi):
    // offscreen, Qt tells no one.
    const auto poll = [&] {
        while (s.f.firmware().pendingEvents() > 0) window.controller().pollDevice();
    };
    s.f.firmware().pressRoute(0, 1, 2);
    poll();
    EXPECT_EQ(spoken(button), QStringLiteral("PROD to Channel 02, connected"));
    s.f.firmware().pressRecall(3);
    poll();
    EXPECT_EQ(spoken(window.recallPanel()->lamp(3)), QStringLiteral("Memory 4 lamp, lit"));
    EXPECT_EQ(spoken(window.recallPanel()->lamp(0)), QStringLiteral("Memory 1 lamp, dark"));
    EXPECT_EQ(spoken(window.statusPanel(0)), window.statusPanel(0)->text());

    window.controller().setArrangement(3);
    QTest::mouseClick(window.unitPanel(1), Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_EQ(spoken(window.unitPanel(1)), QStringLiteral("Unit 2, selected"));
    EXPECT_EQ(spoken(window.unitPanel(0)), QStringLiteral("Unit 1"));
    EXPECT_EQ(spoken(button, QAccessible::Description), QStringLiteral("Unit 2, line 3, channel 2"));
}
