#pragma once

#include <functional>

namespace corvane {

class MainWindow;
class UsbInterface;

// Program entry shared by the programs: the application, the main window on the given USB library,
// the event loop. An escaping exception is shown in an error box. Returns 0; after a normal run,
// with the settings written and the unit closed, the process ends inside without taking the
// window and the toolkit apart (unless it owns the clipboard), so the caller's own objects are
// not destroyed then either.
// `around` runs with the window built and before the event loop (the demo adds its tools there).
int RunProgram(int argc, char** argv, UsbInterface& usb, const std::function<void(MainWindow&)>& around = {});

}  // namespace corvane
