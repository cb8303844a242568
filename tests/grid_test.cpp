#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "device/requests.h"
#include "formfixture.h"
#include "view/angledlabel.h"
#include "view/bevelpanel.h"
#include "view/crosspointbutton.h"
#include "view/fonts.h"
#include "view/hint.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace {

const QColor kTeal(0, 128, 128);
const QColor kYellow(255, 255, 0);

// The window on a virtual unit, shown, with default names and unit 1 selected.
class Grid : public testing::Test {
  protected:
    MainWindow& open(bool reverse = false) {
        f.firmware().state().ReverseMode = reverse ? 1 : 0;
        MainWindow& window = f.open();
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
        EditNames(window.controller(), [&](corvane::NameTable& n) { n.setDefaults(); });
        Q_EMIT window.controller().gridChanged();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        f.takeRequests();
        return window;
    }
    MainWindow& window() { return *f.window; }
    CrosspointButton* button(int row, int column) { return window().grid().button(row, column); }
    QString columnCaption(int column) { return window().grid().columnLabel(column)->caption(); }
    QString rowCaption(int row) { return window().grid().rowLabel(row)->caption(); }
    void click(int row, int column) { QTest::mouseClick(button(row, column), Qt::LeftButton); }
    // The SetRoute requests the unit received since the last call, as (value, index).
    std::vector<std::pair<int, int>> routesSent() {
        std::vector<std::pair<int, int>> routes;
        for (const UsbRequest& r : f.takeRequests())
            if (r.request == static_cast<int>(RequestCode::SetRoute)) routes.emplace_back(r.value, r.index);
        return routes;
    }
    int litInColumn(int column) {
        int lit = 0;
        for (int r = 0; r < 5; ++r) lit += button(r, column)->isConnected();
        return lit;
    }

    FormFixture f;
};

using Routes = std::vector<std::pair<int, int>>;

// A key held down repeats as a release and a press stamped alike, marked as repeats or, as X11
// often leaves them on a loaded machine, not.
void holdKey(QWidget* widget, Qt::Key key, const QString& text, int repeats, bool marked = true,
             ulong pressedAt = 1000) {
    const auto send = [&](QEvent::Type type, bool repeat, ulong at) {
        QKeyEvent event(type, key, Qt::NoModifier, text, repeat);
        event.setTimestamp(at);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::KeyPress, false, pressedAt);
    ulong at = pressedAt + 660;
    for (int i = 0; i < repeats; ++i, at += 40) {
        send(QEvent::KeyRelease, marked, at);
        send(QEvent::KeyPress, marked, at);
    }
    send(QEvent::KeyRelease, false, at);
}

}  // namespace

TEST_F(Grid, ClickMovesTheLampRenamesTheColumnAndSendsTheRoute) {
    f.firmware().state().LineRoute[1][0][2] = 1;
    open();
    EXPECT_TRUE(button(1, 2)->isConnected());
    EXPECT_EQ(columnCaption(2), QStringLiteral("Line 03 - Channel 02"));

    click(0, 2);
    EXPECT_TRUE(button(0, 2)->isConnected());
    EXPECT_FALSE(button(1, 2)->isConnected());
    EXPECT_EQ(litInColumn(2), 1);
    EXPECT_EQ(columnCaption(2), QStringLiteral("Line 03 - Channel 01"));
    EXPECT_EQ(HintOf(button(0, 2)), QStringLiteral("Line 03-Channel 01 | Line 03 connected with Channel 01"));
    EXPECT_EQ(button(0, 2)->toolTip(), QStringLiteral("Line 03-Channel 01 "));
    EXPECT_EQ(button(0, 2)->statusTip(), QStringLiteral(" Line 03 connected with Channel 01"));
    EXPECT_TRUE(HintOf(button(1, 2)).isEmpty());
    EXPECT_EQ(window().controller().state().LineRoute[1][0][2], 0);
    EXPECT_EQ(window().controller().functionKeys().blinkCount(), 50);
    EXPECT_EQ(routesSent(), (Routes{{0x10, 2}}));

    // A lit button sends the same route again and changes nothing on screen.
    RestoreKeys(window().controller(), Step::Idle, 0, 0);
    click(0, 2);
    EXPECT_EQ(routesSent(), (Routes{{0x10, 2}}));
    EXPECT_TRUE(button(0, 2)->isConnected());
    EXPECT_EQ(litInColumn(2), 1);
    EXPECT_EQ(window().controller().functionKeys().blinkCount(), 50);

    // The Disconnected row takes the line off every channel.
    click(4, 2);
    EXPECT_EQ(columnCaption(2), QStringLiteral("Line 03 - Disconnected"));
    EXPECT_EQ(window().controller().state().LineRoute[1][0][2], 4);
    EXPECT_EQ(routesSent(), (Routes{{0x14, 2}}));
    EXPECT_TRUE(f.notifier.messages.empty());
}

TEST_F(Grid, ReverseModeShowsTheNoLineColumnAndHidesTheDisconnectedRow) {
    f.firmware().state().ChannelRoute[1][0][1] = 5;
    open(true);
    for (int c = 0; c < 17; ++c) {
        EXPECT_TRUE(button(0, c)->isVisible()) << c;
        EXPECT_FALSE(button(4, c)->isVisible()) << c;
        EXPECT_TRUE(window().grid().columnLabel(c)->isVisible()) << c;
    }
    EXPECT_FALSE(window().grid().rowLabel(4)->isVisible());
    EXPECT_EQ(columnCaption(5), QStringLiteral("Line 06"));
    EXPECT_EQ(rowCaption(1), QStringLiteral("Channel 02 - Line 06"));

    EditNames(window().controller(), [&](corvane::NameTable& n) { n.setLineName(1, 16, "Silence"); });
    click(1, 16);
    EXPECT_EQ(rowCaption(1), QStringLiteral("Channel 02 - Silence"));
    EXPECT_TRUE(button(1, 16)->isConnected());
    EXPECT_FALSE(button(1, 5)->isConnected());
    // The hint quotes the row caption with the newly chosen line.
    EXPECT_EQ(HintOf(button(1, 16)),
              QStringLiteral("Silence-Channel 02 - Silence | Silence connected with Channel 02 - Silence"));
    EXPECT_EQ(window().controller().state().ChannelRoute[1][0][1], 16);
    EXPECT_EQ(routesSent(), (Routes{{0x11, 16}}));

    // The hidden row changes nothing and sends nothing.
    window().controller().routeCrosspoint(4, 3);
    EXPECT_EQ(routesSent(), Routes{});
}

TEST_F(Grid, NormalModeHidesColumn16AndItsClickSendsNothing) {
    open();
    for (int r = 0; r < 5; ++r) {
        EXPECT_TRUE(button(r, 0)->isVisible());
        EXPECT_FALSE(button(r, 16)->isVisible());
        EXPECT_TRUE(window().grid().rowLabel(r)->isVisible());
    }
    EXPECT_FALSE(window().grid().columnLabel(16)->isVisible());
    window().controller().routeCrosspoint(2, 16);
    EXPECT_EQ(routesSent(), Routes{});
}

TEST_F(Grid, ColumnTextStartsBesideItsButtonsInBothOrientations) {
    open();
    for (bool reverse : {false, true}) {
        EditState(window().controller(), [&](corvane::MatrixState& s) { s.ReverseMode = reverse; });
        window().grid().arrange(window().controller().state().ReverseMode != 0);
        for (int c = 0; c < 17; c += 8) {
            AngledLabel* label = window().grid().columnLabel(c);
            const QPoint textStart = label->pos() + label->origin();
            EXPECT_EQ(textStart, button(0, c)->pos() + QPoint(2, -16))
                << "column " << c << " reverse " << reverse;
        }
    }
}

TEST_F(Grid, ButtonsLieAboveTheLabelsAndFocusFollowsCreationOrder) {
    open();
    const QObjectList& children = window().gridPanel()->children();
    const auto position = [&](QObject* o) { return children.indexOf(o); };
    for (int c = 0; c < 17; ++c) EXPECT_GT(position(button(0, c)), position(window().grid().columnLabel(c)));
    EXPECT_GT(position(button(0, 0)), position(window().grid().rowLabel(4)));
    const auto nextFocusable = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(nextFocusable(button(0, 15)), button(0, 16));
    EXPECT_EQ(nextFocusable(button(0, 16)), button(1, 0));
}

TEST_F(Grid, PreviewShowsTheMemorySlotOfTheSelectedUnit) {
    f.firmware().state().LineRoute[1][0][7] = 0;
    f.firmware().state().LineRoute[1][1][7] = 3;
    open();
    window().controller().pressFunctionKey(kPreviewTag);
    window().controller().pressMemoryKey(0);
    EXPECT_TRUE(button(3, 7)->isConnected());
    EXPECT_EQ(columnCaption(7), QStringLiteral("Line 08 - Channel 04"));
    // The preview ends by itself.
    while (window().controller().functionKeys().previewing()) window().controller().blinkTick();
    EXPECT_TRUE(button(0, 7)->isConnected());
}

TEST_F(Grid, AClickDuringAPreviewEndsItAndShowsTheWorkMemory) {
    f.firmware().state().LineRoute[1][0][7] = 0;
    f.firmware().state().LineRoute[1][0][8] = 2;
    f.firmware().state().LineRoute[1][1][7] = 3;
    open();
    QTest::mouseClick(window().functionsPanel()->key(kPreviewTag), Qt::LeftButton);
    QTest::mouseClick(window().recallPanel()->key(0), Qt::LeftButton);
    ASSERT_EQ(window().controller().functionKeys().step(), Step::PreviewShow);
    ASSERT_TRUE(button(3, 7)->isConnected());

    click(1, 7);
    EXPECT_EQ(window().controller().functionKeys().step(), Step::Idle);
    EXPECT_TRUE(window().promptTitle()->isHidden());
    EXPECT_TRUE(button(1, 7)->isConnected());
    EXPECT_EQ(litInColumn(7), 1);
    EXPECT_TRUE(button(2, 8)->isConnected());  // the work memory, no longer the stored one
    EXPECT_EQ(window().controller().state().LineRoute[1][1][7], 3);
    EXPECT_EQ(routesSent(), (Routes{{0x11, 7}}));
}

TEST_F(Grid, SwitchingUnitsRenamesEveryLabel) {
    open();
    EditNames(window().controller(), [&](corvane::NameTable& n) { n.setLineName(2, 0, "Studio"); });
    EditNames(window().controller(), [&](corvane::NameTable& n) { n.setChannelName(2, 3, "Talkback"); });
    EditState(window().controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 2; });
    Q_EMIT window().controller().gridChanged();
    EXPECT_TRUE(columnCaption(0).startsWith(QStringLiteral("Studio - ")));
    EXPECT_EQ(rowCaption(3), QStringLiteral("Talkback"));
}

TEST_F(Grid, RoutesOutOfRangeLightNothingAndCanBeReplaced) {
    open();
    EditState(window().controller(), [&](corvane::MatrixState& s) { s.LineRoute[1][0][4] = 250; });
    EditState(window().controller(), [&](corvane::MatrixState& s) { s.ChannelRoute[1][0][2] = 77; });
    EditState(window().controller(),
              [&](corvane::MatrixState& s) { s.SelectedUnit = 9; });  // shown as unit 1
    Q_EMIT window().controller().gridChanged();
    EXPECT_EQ(litInColumn(4), 0);
    EXPECT_EQ(columnCaption(4), QStringLiteral("Line 05 - "));
    click(2, 4);
    EXPECT_TRUE(button(2, 4)->isConnected());
    EXPECT_EQ(litInColumn(4), 1);

    EditState(window().controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 1; });
    window().grid().arrange(window().controller().state().ReverseMode != 0);
    Q_EMIT window().controller().gridChanged();
    EXPECT_EQ(rowCaption(2), QStringLiteral("Channel 03 - "));
    window().controller().routeCrosspoint(2, 9);
    EXPECT_TRUE(button(2, 9)->isConnected());
    // A device event outside the grid is ignored.
    window().controller().routeCrosspoint(7, 40);
    EXPECT_EQ(window().controller().functionKeys().blinkCount(), 50);
}

TEST_F(Grid, UpAndDownStayInTheColumnWithItsLabelYellow) {
    open();
    button(4, 6)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window().grid().columnLabel(6)->color(), kYellow);

    std::vector<QColor> seen;
    QObject::connect(button(4, 6), &CrosspointButton::focusExited,
                     [&] { seen.push_back(window().grid().columnLabel(6)->color()); });
    QTest::keyClick(button(4, 6), Qt::Key_Down);
    EXPECT_TRUE(button(0, 6)->hasFocus());
    EXPECT_EQ(seen, std::vector<QColor>{kYellow});
    EXPECT_EQ(window().grid().columnLabel(6)->color(), kYellow);
    EXPECT_FALSE(window().grid().columnMoving());

    QTest::keyClick(button(0, 6), Qt::Key_Up);
    EXPECT_TRUE(button(4, 6)->hasFocus());
    QTest::keyClick(button(4, 6), Qt::Key_Up);
    EXPECT_TRUE(button(3, 6)->hasFocus());
    // Modifiers and the keypad change nothing.
    QTest::keyClick(button(3, 6), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(button(4, 6)->hasFocus());
    QTest::keyClick(button(4, 6), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(button(3, 6)->hasFocus());
    QTest::keyClick(button(3, 6), Qt::Key_Up, Qt::ShiftModifier | Qt::KeypadModifier);
    EXPECT_TRUE(button(2, 6)->hasFocus());
    EXPECT_EQ(window().grid().columnLabel(6)->color(), kYellow);

    // The focus leaving the column by the mouse turns the label teal again.
    QTest::mouseClick(button(1, 9), Qt::LeftButton);
    EXPECT_EQ(window().grid().columnLabel(6)->color(), kTeal);
    EXPECT_EQ(window().grid().columnLabel(9)->color(), kYellow);
}

TEST_F(Grid, ReverseModeWrapsPastTheHiddenRow) {
    open(true);
    button(0, 3)->setFocus();
    QTest::keyClick(button(0, 3), Qt::Key_Up);
    EXPECT_TRUE(button(3, 3)->hasFocus());
    QTest::keyClick(button(3, 3), Qt::Key_Down);
    EXPECT_TRUE(button(0, 3)->hasFocus());
}

TEST_F(Grid, LeftRightAndColumn16TraverseTheVisibleButtonsWithWrap) {
    open(true);
    button(0, 0)->setFocus();
    QTest::keyClick(button(0, 0), Qt::Key_Right);
    EXPECT_TRUE(button(0, 1)->hasFocus());
    QTest::keyClick(button(0, 1), Qt::Key_Left);
    QTest::keyClick(button(0, 0), Qt::Key_Left);
    EXPECT_TRUE(window().unitPanel(0)->hasFocus());  // the unit panels come first
    QTest::keyClick(window().unitPanel(0), Qt::Key_Left);
    EXPECT_TRUE(button(3, 16)->hasFocus());  // wrapped past the hidden row
    QTest::keyClick(button(3, 16), Qt::Key_Down);
    EXPECT_TRUE(window().unitPanel(0)->hasFocus());
    button(1, 16)->setFocus();
    QTest::keyClick(button(1, 16), Qt::Key_Up);
    EXPECT_TRUE(button(1, 15)->hasFocus());
}

TEST_F(Grid, SpaceAndEnterClickTheFocusedButton) {
    f.firmware().state().LineRoute[1][0][8] = 0;
    open();
    button(2, 8)->setFocus();
    QTest::keyClick(button(2, 8), Qt::Key_Space);
    EXPECT_TRUE(button(2, 8)->isConnected());
    EXPECT_EQ(routesSent(), (Routes{{0x12, 8}}));
    button(3, 8)->setFocus();
    QTest::keyClick(button(3, 8), Qt::Key_Return);
    EXPECT_TRUE(button(3, 8)->isConnected());
    EXPECT_EQ(routesSent(), (Routes{{0x13, 8}}));
}

TEST_F(Grid, ArrowsVisitTheVisibleUnitPanelsAndSpaceOrEnterSelectsOne) {
    open();
    std::vector<QWidget*> forward;
    QWidget* at = button(4, 15);
    at->setFocus();
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(at, Qt::Key_Right);
        forward.push_back(at = QApplication::focusWidget());
    }
    EXPECT_EQ(forward, (std::vector<QWidget*>{window().unitPanel(0), button(0, 0)}));  // 1x1

    window().controller().setArrangement(7);  // 2x2: the panels of units 1, 2, 4, 3
    std::vector<QWidget*> backward;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(at, Qt::Key_Left);
        backward.push_back(at = QApplication::focusWidget());
    }
    EXPECT_EQ(backward, (std::vector<QWidget*>{window().unitPanel(2), window().unitPanel(3),
                                               window().unitPanel(1), window().unitPanel(0), button(4, 15)}));

    // The focused panel shows a focus mark, which goes without a trace with the focus.
    UnitPanel* panel = window().unitPanel(3);
    const QImage unfocused = panel->grab().toImage();
    panel->setFocus(Qt::TabFocusReason);
    const QImage focused = panel->grab().toImage();
    EXPECT_NE(focused, unfocused);
    QRect marked;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x)
            if (focused.pixel(x, y) != unfocused.pixel(x, y)) marked |= QRect(x, y, 1, 1);
    EXPECT_TRUE(panel->insideRect().contains(marked)) << "the mark stays inside the bevel";
    EXPECT_GT(marked.width(), panel->width() / 2);

    QTest::keyClick(panel, Qt::Key_Right);
    EXPECT_EQ(panel->grab().toImage(), unfocused);

    // Space or Enter selects the focused panel's unit, as a click does: nothing is sent.
    f.takeRequests();
    panel->setFocus(Qt::TabFocusReason);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(panel, key);
    EXPECT_TRUE(panel->hasFocus());
    EXPECT_TRUE(f.takeRequests().empty());
    EXPECT_EQ(window().controller().state().SelectedUnit, 3);
    EXPECT_TRUE(panel->isSelected());
}

TEST_F(Grid, AHeldSpaceOrEnterClicksOnce) {
    open();
    button(1, 3)->setFocus();
    holdKey(button(1, 3), Qt::Key_Space, QStringLiteral(" "), 22);
    EXPECT_EQ(routesSent(), (Routes{{0x11, 3}}));
    holdKey(button(1, 3), Qt::Key_Return, QStringLiteral("\r"), 22);
    EXPECT_EQ(routesSent(), (Routes{{0x11, 3}}));
    holdKey(button(1, 3), Qt::Key_Space, QStringLiteral(" "), 22, false, 5000);
    EXPECT_EQ(routesSent(), (Routes{{0x11, 3}}));
    // Strokes a finger apart are two clicks.
    holdKey(button(1, 3), Qt::Key_Space, QStringLiteral(" "), 0, false, 9000);
    holdKey(button(1, 3), Qt::Key_Space, QStringLiteral(" "), 0, false, 9700);
    EXPECT_EQ(routesSent(), (Routes{{0x11, 3}, {0x11, 3}}));
}

TEST_F(Grid, TheFocusedColumnStaysYellowWhileAMenuOrDialogIsOpen) {
    open();
    button(2, 5)->setFocus();
    ASSERT_EQ(window().grid().columnLabel(5)->color(), kYellow);

    window().commands().fileMenu->popup(window().mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(QApplication::activePopupWidget(), window().commands().fileMenu);
    EXPECT_EQ(window().focusWidget(), button(2, 5));
    EXPECT_EQ(window().grid().columnLabel(5)->color(), kYellow);
    window().commands().fileMenu->close();
    EXPECT_TRUE(button(2, 5)->hasFocus());
    EXPECT_EQ(window().grid().columnLabel(5)->color(), kYellow);

    // A dialog taking the keyboard and giving it back. The offscreen platform keeps the window
    // active under a dialog, so the button is told as a desktop tells it.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(button(2, 5), &away);
    EXPECT_EQ(window().grid().columnLabel(5)->color(), kYellow);
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(button(2, 5), &back);
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(window().grid().columnLabel(c)->color(), c == 5 ? kYellow : kTeal) << c;
}

TEST_F(Grid, AFailedRouteKeepsTheNewRouteAndSaysSo) {
    open();
    f.unit->addFault({0xC0, 4, FaultKind::Timeout, 0, 1});
    click(1, 0);
    EXPECT_TRUE(button(1, 0)->isConnected());
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].text.rfind("USB error: ", 0), 0u);
}

// The labels keep their shaped caption between paints; what they paint must stay what drawText()
// paints, shadow and clipping included, also where a caption does not fit its label (the prompts,
// which the stored grabs do not show).
TEST(AngledLabels, PaintTheirCaptionsAsDrawTextDoes) {
    struct Case {
        QRect geometry;
        int angle;
        bool centred;
        QFont font;
        const char* caption;
    };
    const Case cases[] = {
        {{0, 0, 198, 20}, 0, true, HeavyFont(20, QFont::Bold), "Select Memory Number"},
        {{0, 0, 198, 20}, 0, true, HeavyFont(24, QFont::Bold), "PREVIEW"},
        {{0, 0, 60, 12}, 0, true, HeavyFont(19, QFont::Bold), "too wide and tall"},
        {{0, 0, 263, 225},
         40,
         false,
         PointFont(QStringLiteral("Arial Black"), 13, QFont::Black),
         "Line 07 - Channel 03"},
        {{0, 0, 300, 100},
         0,
         false,
         PointFont(QStringLiteral("Arial Black"), 13, QFont::Black),
         "Channel 04"},
    };
    const QColor background(40, 90, 160);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const QString caption = QString::fromLatin1(c.caption);
        AngledLabel label;
        label.setGeometry(c.geometry);
        label.setLabelFont(c.font);
        label.setCentred(c.centred);
        label.setAngle(c.angle);
        label.setOrigin(c.centred ? QPoint() : QPoint(-6, c.geometry.height() - 15));
        label.setColor(Qt::red);
        label.setCaption(caption);
        QImage painted(c.geometry.size(), QImage::Format_RGB32);
        painted.fill(background);
        label.render(&painted);

        QImage expected(c.geometry.size(), QImage::Format_RGB32);
        expected.fill(background);
        QPainter p(&expected);
        p.setFont(label.font());
        for (const auto& [offset, color] : {std::pair{QPoint(2, 1), label.palette().color(QPalette::Dark)},
                                            std::pair{QPoint(0, 0), QColor(Qt::red)}}) {
            p.setPen(color);
            p.save();
            if (c.centred) {
                p.drawText(label.rect().translated(offset), Qt::AlignCenter, caption);
            } else {
                p.translate(label.origin() + offset);
                p.rotate(-c.angle);
                p.drawText(QPoint(0, p.fontMetrics().ascent()), caption);
            }
            p.restore();
        }
        p.end();
        EXPECT_EQ(painted, expected);
    }
}
