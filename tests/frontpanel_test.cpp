#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>
#include <QToolBar>

#include "formfixture.h"
#include "tools/demo/frontpanel.h"
#include "view/crosspointbutton.h"
#include "view/unitpanel.h"

using namespace corvane;

// The demo's front panels and the main window, side by side on one virtual unit.
TEST(FrontPanel, APanelKeyReachesTheWindowInOnePollAndAGridClickReachesTheList) {
    FormFixture f;
    MainWindow& window = f.open();
    FrontPanel panel(f.unit);
    window.show();
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    window.controller().setArrangement(7);  // 2x2: every unit's map is shown

    // Unit 2 (index 1), channel 3, line 6 on its own panel.
    QTest::mouseClick(panel.routeKeys(1), Qt::LeftButton, {}, panel.routeKeyCentre(1, 2, 5));
    EXPECT_TRUE(panel.routeKeyLit(1, 2, 5));
    // A key acts only when released where it was pressed, as a button does.
    QTest::mousePress(panel.routeKeys(1), Qt::LeftButton, {}, panel.routeKeyCentre(1, 0, 5));
    QTest::mouseRelease(panel.routeKeys(1), Qt::LeftButton, {}, panel.routeKeyCentre(1, 1, 5));
    EXPECT_EQ(f.firmware().state().LineRoute[1][0][5], 2);
    EXPECT_TRUE(panel.routeKeyLit(1, 2, 5));
    window.controller().pollDevice();  // one poll
    EXPECT_EQ(window.controller().state().LineRoute[1][0][5], 2);
    const QImage map = window.unitPanel(1)->picture();
    EXPECT_EQ(map.pixelColor(8 * 5 + 3, 8 * 2 + 3), QColor(0, 255, 0));
    EXPECT_NE(map.pixelColor(8 * 5 + 3, 8 * 0 + 3), QColor(0, 255, 0));

    // A click on the main window's grid shows up in the panel's request list, and on its keys
    // once the window's tick is over.
    const int before = panel.requestList()->count();
    QTest::mouseClick(window.grid().button(3, 9), Qt::LeftButton);
    ASSERT_GT(panel.requestList()->count(), before);
    EXPECT_EQ(panel.requestList()->item(before)->text(), QStringLiteral("c0 04 0003 0009 8"));
    EXPECT_FALSE(panel.routeKeyLit(0, 3, 9));
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel.routeKeyLit(0, 3, 9));

    // Unplugging from the panel ends the program at the next poll.
    QTest::mouseClick(panel.unplugButton(), Qt::LeftButton);
    window.controller().pollDevice();
    EXPECT_FALSE(window.controller().polling());
}

// The panels are the demo's second window; File > Exit on the main window still ends the demo.
TEST(FrontPanel, ClosingTheMainWindowEndsTheDemoWhileThePanelsAreOpen) {
    FormFixture f;
    MainWindow& window = ShowOnScreen(f.open());
    FrontPanel panel(f.unit);
    panel.showBeside(window);
    ASSERT_TRUE(QTest::qWaitFor([&panel] { return panel.isVisible(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_GT(panel.x(), window.x());

    // Exit from the tool bar, clicked while the event loop runs, as the operator would.
    QWidget* exit = window.commands().toolBar->widgetForAction(window.commands().exit);
    ASSERT_NE(exit, nullptr);
    QMetaObject::invokeMethod(
        exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); }, Qt::QueuedConnection);
    EXPECT_TRUE(QuitRequested());
    EXPECT_FALSE(window.isVisible());
}
