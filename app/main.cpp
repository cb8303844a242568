#include <QApplication>

#include "app/mainwindow.h"
#include "app/runprogram.h"
#include "device/libusbinterface.h"

// The control program on the real USB library. It reads no arguments and no environment.
int main(int argc, char** argv) {
    corvane::LibUsbInterface usb;
    return corvane::RunProgram(argc, argv, usb);
}
