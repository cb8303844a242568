#include "app/runprogram.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "app/mainwindow.h"
#include "app/messageboxnotifier.h"
#include "storage/diskfile.h"
#include "view/applicationstyle.h"
#include "view/fonts.h"

namespace corvane {

namespace {
void showException(const QString& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

// Ends the process once everything the program keeps is written. Taking the window's widgets and
// the toolkit apart would only return memory the system takes back anyway, and takes several
// milliseconds, a twentieth of a whole run. Not while this program owns the clipboard: the
// toolkit's teardown hands it to the desktop's clipboard manager, so that what was copied
// outlives the program.
void endWithoutTeardown() {
    if (QGuiApplication::clipboard()->ownsClipboard()) return;
    std::fflush(nullptr);
    std::_Exit(0);
}
}  // namespace

int RunProgram(int argc, char** argv, UsbInterface& usb, const std::function<void(MainWindow&)>& around) {
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    // The font list is the slowest part of a start and needs no window: a second thread reads it
    // while this one builds the window, whose first font waits for it.
    const std::jthread fontList(ReadFontList);
    QApplication::setStyle(new ApplicationStyle);
    QApplication::setApplicationName(QStringLiteral("CORVANE"));
    try {
        MessageBoxNotifier notifier;
        MainWindow form(usb, notifier);
        if (around) around(form);
        form.show();
        QApplication::exec();
        form.shutDown();
        endWithoutTeardown();
    } catch (const SettingsError& e) {
        // A settings file that cannot be read ends the start-up with a message naming it.
        showException(e.namesFile() ? PathText(e.what()) : QString::fromLatin1(e.what()));
    } catch (const std::exception& e) {
        showException(QString::fromLatin1(e.what()));
    } catch (...) {
        showException(QString());
    }
    return 0;
}

}  // namespace corvane
