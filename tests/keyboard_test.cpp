#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include <functional>

#include "app/keybindings.h"
#include "app/keytable.h"
#include "device/requests.h"
#include "formfixture.h"

using namespace corvane;

namespace {

// A window shown on the virtual unit, with each memory of unit 1 holding routes of its own, so
// that a recall shows on the screen.
struct ShownWindow {
    ShownWindow() {
        MatrixState& unit = f.firmware().state();
        for (int memory = 0; memory < kMemories; ++memory)
            unit.LineRoute[0][memory + 1][memory] = static_cast<std::uint8_t>(memory % kChannels);
        MainWindow& window = f.open();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        Sent(f);
    }
    MainWindow& window() { return *f.window; }
    void click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
    // The window as the operator sees it, active, with the focus where the keyboard left it.
    QImage screen(QWidget* focus) {
        window().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
        focus->setFocus(Qt::OtherFocusReason);
        return window().grab().toImage();
    }

    FormFixture f;
};

using Control = std::function<QWidget*(MainWindow&)>;

Control memoryKey(int memory) {
    return [memory](MainWindow& w) { return w.recallPanel()->key(memory); };
}
Control functionKey(int tag) {
    return
        [tag](MainWindow& w) -> QWidget* { return tag == kOkTag ? w.okKey() : w.functionsPanel()->key(tag); };
}

struct KeyCase {
    const char* name;
    std::vector<Control> before;  // clicked first, in both runs
    QKeyCombination key;
    Control clicked;  // what the key stands for; null where it must do nothing
};

const KeyCase kKeyCases[] = {
    {"Ctrl1RecallsMemory1", {}, Qt::CTRL | Qt::Key_1, memoryKey(0)},
    {"Ctrl2RecallsMemory2", {}, Qt::CTRL | Qt::Key_2, memoryKey(1)},
    {"Ctrl3RecallsMemory3", {}, Qt::CTRL | Qt::Key_3, memoryKey(2)},
    {"Ctrl4RecallsMemory4", {}, Qt::CTRL | Qt::Key_4, memoryKey(3)},
    {"Ctrl5RecallsMemory5", {}, Qt::CTRL | Qt::Key_5, memoryKey(4)},
    {"KeypadCtrl2AsCtrl2",
     {},
     QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_2),
     memoryKey(1)},
    {"Ctrl4StoresWhileStoreBlinks", {functionKey(kStoreTag)}, Qt::CTRL | Qt::Key_4, memoryKey(3)},
    {"Ctrl3PreviewsWhilePreviewBlinks", {functionKey(kPreviewTag)}, Qt::CTRL | Qt::Key_3, memoryKey(2)},
    {"F5ArmsStore", {}, QKeyCombination(Qt::Key_F5), functionKey(kStoreTag)},
    {"F6ArmsPreview", {}, QKeyCombination(Qt::Key_F6), functionKey(kPreviewTag)},
    {"F7ArmsClear", {}, QKeyCombination(Qt::Key_F7), functionKey(kClearTag)},
    {"F8ArmsReverse", {}, QKeyCombination(Qt::Key_F8), functionKey(kReverseTag)},
    {"F9ClearsAfterClear", {functionKey(kClearTag)}, QKeyCombination(Qt::Key_F9), functionKey(kOkTag)},
    {"F9ReversesAfterReverse", {functionKey(kReverseTag)}, QKeyCombination(Qt::Key_F9), functionKey(kOkTag)},
    {"F9WhileOkIsHiddenDoesNothing", {}, QKeyCombination(Qt::Key_F9), nullptr},
    {"Digit1WithoutCtrlDoesNothing", {}, QKeyCombination(Qt::Key_1), nullptr},
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class EachKey : public testing::TestWithParam<KeyCase> {};

// A key does what a click on its control does, wherever the focus is: the unit receives the same
// requests and the screen shows the same.
TEST_P(EachKey, SendsAndShowsWhatItsClickDoes) {
    const KeyCase& c = GetParam();
    const auto focusOf = [](MainWindow& w, int place) -> QWidget* {
        switch (place) {
            case 0:
                return w.grid().button(2, 5);
            case 1:
                return w.unitPanel(0);
            default:
                return w.recallPanel()->key(4);
        }
    };
    for (int place = 0; place < 3; ++place) {
        SCOPED_TRACE(place);
        ShownWindow byMouse, byKey;
        for (ShownWindow* run : {&byMouse, &byKey})
            for (const Control& control : c.before) run->click(control(run->window()));
        for (ShownWindow* run : {&byMouse, &byKey}) {
            run->window().controller().blinkTick();
            Sent(run->f);
        }
        const QImage untouched = byKey.screen(focusOf(byKey.window(), place));

        if (c.clicked) byMouse.click(c.clicked(byMouse.window()));
        QTest::keyClick(focusOf(byKey.window(), place), c.key.key(), c.key.keyboardModifiers());
        // An armed step shows at the blink timer's next tick.
        for (ShownWindow* run : {&byMouse, &byKey}) run->window().controller().blinkTick();

        const std::vector<std::string> sent = Sent(byKey.f);
        EXPECT_EQ(sent, Sent(byMouse.f));
        const QImage shown = byKey.screen(focusOf(byKey.window(), place));
        EXPECT_EQ(shown, byMouse.screen(focusOf(byMouse.window(), place)));
        if (c.clicked)
            EXPECT_TRUE(!sent.empty() || shown != untouched) << "the click itself must do something";
        else
            EXPECT_TRUE(sent.empty() && shown == untouched);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, EachKey, testing::ValuesIn(kKeyCases),
                         [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

// A dialog or a menu has the keys to itself: nothing of the key table reaches the window.
TEST(Keys, AreTheDialogsAndMenusWhileOneIsOpen) {
    ShownWindow run;
    QDialog dialog(&run.window());
    dialog.setModal(true);
    dialog.show();
    QMenu* menu = run.window().commands().fileMenu;
    for (QWidget* open : {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(menu)}) {
        if (open == menu) {
            dialog.close();
            menu->popup(run.window().mapToGlobal(QPoint(10, 10)));
        }
        for (const KeyRow& row : kKeyTable)
            if (row.action != KeyAction::Listed)
                QTest::keyClick(open, row.key.key(), row.key.keyboardModifiers());
        EXPECT_TRUE(Sent(run.f).empty());
        EXPECT_TRUE(run.f.notifier.messages.empty());
    }
    menu->close();
}

// The README's Keyboard section and Help > Keyboard list the same table.
TEST(Keys, TheReadmeAndHelpListTheKeyTable) {
    QFile readme(QStringLiteral(CORVANE_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype from = text.indexOf(QStringLiteral("| Key | Action |\n|---|---|\n"));
    ASSERT_GE(from, 0);
    QStringList rows = text.mid(from).split(QLatin1Char('\n')).mid(2);
    rows = rows.mid(0, rows.indexOf(QString()));
    ASSERT_EQ(rows.size(), static_cast<qsizetype>(std::size(kKeyTable)));
    for (std::size_t i = 0; i < std::size(kKeyTable); ++i)
        EXPECT_EQ(rows[static_cast<qsizetype>(i)].toStdString(),
                  std::string("| ") + kKeyTable[i].keys + " | " + kKeyTable[i].does + " |");

    ShownWindow run;
    QTest::keyClick(run.window().grid().button(0, 0), Qt::Key_F1);
    ASSERT_EQ(run.f.notifier.messages.size(), 1u);
    EXPECT_EQ(run.f.notifier.messages[0].text, KeyTableText());
    run.window().commands().keyboard->trigger();
    ASSERT_EQ(run.f.notifier.messages.size(), 2u);
    EXPECT_EQ(run.f.notifier.messages[1].text, KeyTableText());
    for (const KeyRow& row : kKeyTable)
        EXPECT_NE(KeyTableText().find(QString::fromLatin1(row.does).toHtmlEscaped().toStdString()),
                  std::string::npos);
}

// Real key events of an X server, made by xdotool through XTest. The server repeats a held key
// itself, and the platform reports the repeats as it does for a keyboard.
class UnderX : public testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "needs an X server";
        if (QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) != 0)
            GTEST_SKIP() << "needs xdotool";
    }
    static void xdotool(const QStringList& arguments) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
    }
    // Lets the events of the server arrive and be handled.
    static void settle(int ms = 300) { QTest::qWait(ms); }
};

TEST_F(UnderX, AHeldSpaceRoutesOnce) {
    ShownWindow run;
    QWidget* button = run.window().grid().button(1, 3);
    button->setFocus();
    for (int stroke = 0; stroke < 2; ++stroke) {
        xdotool({QStringLiteral("keydown"), QStringLiteral("space")});
        settle(1500);  // long past the server's repeat delay
        xdotool({QStringLiteral("keyup"), QStringLiteral("space")});
        settle();
        int routes = 0;
        for (const UsbRequest& r : run.f.takeRequests())
            routes += r.request == static_cast<int>(RequestCode::SetRoute);
        EXPECT_EQ(routes, 1) << "stroke " << stroke;
    }
}

TEST_F(UnderX, CtrlAndADigitRecallAMemoryAndSpaceSelectsAUnit) {
    std::vector<std::string> clickSent;
    QImage clickShown;
    {
        ShownWindow byMouse;
        byMouse.click(byMouse.window().recallPanel()->key(2));
        clickSent = Sent(byMouse.f);
        clickShown = byMouse.screen(byMouse.window().grid().button(0, 0));
    }
    ShownWindow run;
    run.window().grid().button(0, 0)->setFocus();
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+3")});
    settle();
    EXPECT_EQ(Sent(run.f), clickSent);
    EXPECT_EQ(run.screen(run.window().grid().button(0, 0)), clickShown);

    run.window().controller().setArrangement(7);  // 2x2
    UnitPanel* panel = run.window().unitPanel(2);
    panel->setFocus();
    xdotool({QStringLiteral("key"), QStringLiteral("space")});
    settle();
    EXPECT_TRUE(panel->isSelected());
    EXPECT_TRUE(Sent(run.f).empty());
}

}  // namespace
