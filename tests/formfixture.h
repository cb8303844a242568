#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/mainwindow.h"
#include "editstate.h"
#include "recordingnotifier.h"
#include "sentrequests.h"
#include "view/angledlabel.h"
#include "view/crosspointbutton.h"
#include "view/crosspointgrid.h"
#include "view/functionspanel.h"
#include "view/led.h"
#include "view/recallpanel.h"
#include "view/unitpanel.h"
#include "virtualunit/virtualbus.h"

// The real main window on a virtual unit, with its settings in a temporary folder and its timers
// driven by the test.
struct FormFixture {
    explicit FormFixture(int slaves = 3) : bus(corvane::VirtualBus::WithUnit(slaves, &unit)) {}

    corvane::WindowOptions options() const {
        corvane::WindowOptions o;
        o.manufacturer = "quenda.example";
        o.commonDataFolder = dataDir.path().toStdString();
        o.currentDirectory = QDir::currentPath().toStdString();
        o.timersRun = false;
        return o;
    }
    corvane::MainWindow& open() {
        window = std::make_unique<corvane::MainWindow>(*bus, notifier, options());
        return *window;
    }
    corvane::UnitFirmware& firmware() { return *unit->firmware(); }
    // Requests the unit received since the last call, start-up included.
    std::vector<corvane::UsbRequest> takeRequests() {
        std::vector<corvane::UsbRequest> r(unit->requests().begin(), unit->requests().end());
        unit->clearRequests();
        return r;
    }

    QTemporaryDir dataDir;
    std::shared_ptr<corvane::DeviceModel> unit;
    std::unique_ptr<corvane::VirtualBus> bus;
    RecordingNotifier notifier;
    std::unique_ptr<corvane::MainWindow> window;
};

inline std::vector<std::string> Sent(FormFixture& f) {
    return Sent(*f.unit);
}

// Puts the function keys in the state a step left half-way leaves, through their own operations:
// a key arms its step with no on half counted, every two ticks count one, and Idle is a step
// dropped. Counts up to 4 only, as every step runs at least five on halves.
inline void RestoreKeys(corvane::FunctionKeys& keys, corvane::Step step, int blinkCount, int blinkPhase) {
    using corvane::Step;
    switch (step) {
        case Step::PreviewShow:
            keys.startPreview(keys.previewMemory());
            break;
        case Step::PreviewSelect:
            keys.press(corvane::kPreviewTag);
            break;
        case Step::ClearConfirm:
            keys.press(corvane::kClearTag);
            break;
        case Step::ReverseConfirm:
            keys.press(corvane::kReverseTag);
            break;
        default:
            keys.press(corvane::kStoreTag);
            break;
    }
    EXPECT_LT(blinkCount, 5);
    keys.resetPhase();
    for (int tick = 0; tick < 2 * blinkCount; ++tick) keys.tick();
    if (step == Step::Idle) keys.dropStep();
    if (blinkPhase != 0) keys.flipPhase();
}

// The same for the window's function keys, put back whole with nothing shown.
inline void RestoreKeys(corvane::MatrixController& controller, corvane::Step step, int blinkCount,
                        int blinkPhase) {
    corvane::FunctionKeys keys = controller.functionKeys();
    RestoreKeys(keys, step, blinkCount, blinkPhase);
    controller.replaceFunctionKeys(keys);
}

// Shows the window on screen and waits until it is exposed, so that clicks and keys reach it.
inline corvane::MainWindow& ShowOnScreen(corvane::MainWindow& window) {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    return window;
}

// Runs the events already posted, and those they post in turn, and tells whether one of them
// asked the application to quit (closing the last window posts its quit). Nothing waits: the loop
// ends once those events have run. (The end of exec() alone says nothing, as aboutToQuit comes
// with every return from it.)
inline bool QuitRequested() {
    struct QuitWatch : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (watched == qApp && event->type() == QEvent::Quit) seen = true;
            return false;
        }
        bool seen = false;
    } watch;
    qApp->installEventFilter(&watch);
    QMetaObject::invokeMethod(
        &watch,
        [&watch] {
            QMetaObject::invokeMethod(
                &watch, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    QApplication::exec();
    qApp->removeEventFilter(&watch);
    return watch.seen;
}
