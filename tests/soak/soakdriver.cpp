#include "soak/soakdriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "model/gridcontent.h"
#include "model/layouts.h"
#include "view/led.h"
#include "view/namesdialog.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace soak {

namespace {
const char* const kFileNames[] = {"a.cvm", "b.cvm", "c.cvm"};

std::string Describe(const char* format, int a = 0, int b = 0, int c = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}
}  // namespace

Driver::Driver(FileFormFixture& fixture, std::uint64_t seed)
    : m_fixture(fixture), m_window(*fixture.window), m_random(seed) {}

std::string Driver::step() {
    // Weights of the kinds of step, out of 100.
    const int roll = pick(100);
    if (roll < 28) return clickCrosspoint();
    if (roll < 34) return pressArrows();
    if (roll < 43) return clickMemory();
    if (roll < 52) return clickFunctionKey();
    if (roll < 57) return clickOk();
    if (roll < 64) return tickBlinkTimer();
    if (roll < 67) return chooseArrangement();
    if (roll < 72) return selectUnit();
    if (roll < 74) return editNames();
    if (roll < 78) return useFiles();
    return useFrontPanel();
}

void Driver::pollEchoes() {
    UnitFirmware& unit = m_fixture.firmware();
    for (int tick = 0; tick < 100 && unit.pendingEvents() > 0 && m_window.controller().polling(); ++tick)
        m_window.controller().pollDevice();
}

std::string Driver::clickCrosspoint() {
    const bool reverse = m_window.controller().state().ReverseMode != 0;
    // Hidden buttons cannot be clicked; pick among the shown ones.
    const int row = pick(reverse ? grid::kRows - 1 : grid::kRows);
    const int column = pick(reverse ? grid::kColumns : grid::kColumns - 1);
    QTest::mouseClick(m_window.grid().button(row, column), Qt::LeftButton);
    return Describe("click crosspoint %d,%d", row, column);
}

std::string Driver::pressArrows() {
    const bool reverse = m_window.controller().state().ReverseMode != 0;
    QWidget* start = m_window.grid().button(pick(reverse ? 4 : 5), pick(reverse ? 17 : 16));
    start->setFocus(Qt::MouseFocusReason);
    static constexpr Qt::Key kKeys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
    const int presses = 1 + pick(4);
    for (int i = 0; i < presses; ++i) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : start, kKeys[pick(4)]);
    }
    const bool click = chance(50);
    if (click) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : start, Qt::Key_Space);
    }
    return Describe(click ? "%d arrow keys, then Space" : "%d arrow keys", presses);
}

std::string Driver::clickMemory() {
    const int memory = pick(kMemories);
    QTest::mouseClick(m_window.recallPanel()->key(static_cast<std::size_t>(memory)), Qt::LeftButton);
    return Describe("click memory key %d", memory + 1);
}

std::string Driver::clickFunctionKey() {
    QPushButton* const keys[] = {
        m_window.functionsPanel()->key(kStoreTag), m_window.functionsPanel()->key(kPreviewTag),
        m_window.functionsPanel()->key(kClearTag), m_window.functionsPanel()->key(kReverseTag)};
    const int tag = pick(4);
    QTest::mouseClick(keys[tag], Qt::LeftButton);
    static const char* const kNames[] = {"STORE", "PREVIEW", "CLEAR", "REVERSE"};
    return std::string("click ") + kNames[tag];
}

std::string Driver::clickOk() {
    if (m_window.okKey()->isHidden()) return "OK not shown";
    QTest::mouseClick(m_window.okKey(), Qt::LeftButton);
    return "click OK";
}

std::string Driver::tickBlinkTimer() {
    // Sometimes a few halves, sometimes long enough for any armed step to run out.
    const int ticks = chance(70) ? 1 + pick(3) : 40;
    int ticked = 0;
    for (int i = 0; i < ticks && m_window.controller().blinking(); ++i, ++ticked)
        m_window.controller().blinkTick();
    return Describe("%d blink ticks", ticked);
}

std::string Driver::chooseArrangement() {
    const int layout = pick(kLayouts);
    QAction* command = m_window.commands().arrangements[static_cast<std::size_t>(layout)];
    if (!command->isEnabled()) return Describe("arrangement %d not offered", layout);
    command->trigger();
    return Describe("arrangement %d", layout);
}

std::string Driver::selectUnit() {
    const int unit = pick(kUnits);
    UnitPanel* panel = m_window.unitPanel(unit);
    if (panel->isHidden()) return Describe("unit %d not shown", unit);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(10 + pick(100), 5 + pick(30)));
    return Describe("select unit %d", unit);
}

std::string Driver::editNames() {
    const bool accept = chance(60);
    const int field = pick(20);
    const QString name = QStringLiteral("N%1").arg(pick(1000));
    // The dialog is modal: answer it from inside its own loop.
    QTimer::singleShot(0, &m_window, [accept, field, name] {
        auto* dialog = qobject_cast<NamesDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        QLineEdit* edit = field < 16 ? dialog->lineEdit(static_cast<std::size_t>(field))
                                     : dialog->channelEdit(static_cast<std::size_t>(field - 16));
        edit->setText(name);
        QTest::mouseClick(accept ? dialog->okButton() : dialog->cancelButton(), Qt::LeftButton);
    });
    QWidget* target =
        QApplication::focusWidget() ? QApplication::focusWidget() : m_window.grid().button(0, 0);
    QTest::keyClick(target, Qt::Key_Insert);
    QCoreApplication::processEvents();  // a timer that found no dialog must not fire later
    return Describe(accept ? "names: field %d renamed, OK" : "names: field %d renamed, Cancel", field);
}

std::string Driver::useFiles() {
    const std::string path = m_fixture.path(kFileNames[pick(3)]);
    const bool cancel = chance(15);
    if (!cancel) m_fixture.answers.push_back(path);
    switch (pick(5)) {
        case 0:
            m_fixture.answers.clear();
            m_fixture.notifier.answer = !cancel;
            m_window.commands().newFile->trigger();
            return cancel ? "File New, Cancel" : "File New, OK";
        case 1:
            // Without a current file, Save asks for a name first.
            m_window.commands().save->trigger();
            m_fixture.answers.clear();
            return "File Save";
        case 2:
            m_window.commands().saveAs->trigger();
            m_fixture.answers.clear();
            return "File Save As " + (cancel ? std::string("cancelled") : path);
        case 3:
            // Only files saved before: a missing one is its own error path.
            if (!cancel && !QFile::exists(QString::fromStdString(path))) {
                m_fixture.answers.clear();
                return "File Open skipped: " + path + " not saved yet";
            }
            m_window.commands().open->trigger();
            m_fixture.answers.clear();
            return "File Open " + (cancel ? std::string("cancelled") : path);
        default: {
            m_fixture.answers.clear();
            const int entry = pick(kRecentFiles);
            if (!m_window.commands().recentFiles[static_cast<std::size_t>(entry)]->isVisible())
                return "no recent file to reopen";
            m_window.commands().recentFiles[static_cast<std::size_t>(entry)]->trigger();
            return Describe("Reopen %d", entry + 1);
        }
    }
}

std::string Driver::useFrontPanel() {
    UnitFirmware& unit = m_fixture.firmware();
    const int units = unit.slaveCount() + 1;
    const int roll = pick(100);
    if (roll < 45) {
        const bool reverse = unit.state().ReverseMode != 0;
        const int u = pick(units);
        const int row = pick(reverse ? kChannels : kChannels + 1);
        const int column = pick(reverse ? kLines + 1 : kLines);
        unit.pressRoute(u, row, column);
        return Describe("front panel of unit %d: route %d,%d", u, row, column);
    }
    if (roll < 60) {
        const int memory = pick(kMemories);
        unit.pressRecall(memory);
        return Describe("front panel: recall memory %d", memory + 1);
    }
    if (roll < 75) {
        const int u = pick(units);
        const int memory = pick(kMemories);
        unit.pressStore(u, memory);
        return Describe("front panel of unit %d: store memory %d", u, memory + 1);
    }
    if (roll < 83) {
        const int u = pick(units);
        unit.pressClear(u);
        return Describe("front panel of unit %d: clear", u);
    }
    if (roll < 91) {
        const bool reverse = chance(50);
        unit.pressReverse(reverse);
        return reverse ? "front panel: reverse routing" : "front panel: normal routing";
    }
    // A wholesale change on the unit itself.
    MatrixState changed = unit.state();
    for (auto& slots : changed.LineRoute)
        for (auto& slot : slots)
            for (std::uint8_t& route : slot) route = static_cast<std::uint8_t>(pick(kDisconnected + 1));
    for (auto& slots : changed.ChannelRoute)
        for (auto& slot : slots)
            for (std::uint8_t& route : slot) route = static_cast<std::uint8_t>(pick(kNoLine + 1));
    for (int u = 0; u < kUnits; ++u) {
        changed.CurrentMemory[u] = static_cast<std::uint8_t>(pick(kMemories));
        changed.UnsavedFlags[u] = static_cast<std::uint8_t>(pick(2));
    }
    changed.ReverseMode = static_cast<std::uint8_t>(pick(2));
    unit.replaceConfiguration(changed);
    return "front panel: a new configuration";
}

}  // namespace soak
