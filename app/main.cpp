#include <QApplication>

#include "app/mainwindow.h"
#include "app/runprogram.h"
#include "device/libusbinterface.h"
#include "remote/remotesettings.h"

// The control program on the real USB library. It reads no arguments and no environment; remote
// control is configured in its own small file.
int main(int argc, char** argv) {
    corvane::LibUsbInterface usb;
    return corvane::RunProgram(argc, argv, usb, [](corvane::MainWindow& window) {
        corvane::StartRemoteControl(window.controller(),
                                    corvane::loadRemoteSettings(corvane::remoteSettingsPath()));
    });
}
