#pragma once

#include <functional>

namespace corvane {

class MainWindow;
class UsbInterface;

// Program entry shared by the programs: the application, the main window on the given USB library,
// the event loop. An escaping exception is shown in an error box. Always returns 0.
// `around` runs with the window built and before the event loop (the demo adds its tools there).
int RunProgram(int argc, char** argv, UsbInterface& usb, const std::function<void(MainWindow&)>& around = {});

}  // namespace corvane
