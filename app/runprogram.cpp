#include "app/runprogram.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>

#include <cstdio>
#include <exception>
#include <thread>

#include "app/mainwindow.h"
#include "app/messageboxnotifier.h"
#include "app/terminationsignals.h"
#include "app/windowplacement.h"
#include "storage/diskfile.h"
#include "view/applicationstyle.h"
#include "view/fonts.h"

namespace corvane {

namespace {
void showException(const MessageBoxNotifier& notifier, const QString& message) {
    if (notifier.unattended()) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
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
    MessageBoxNotifier notifier;
    MainWindow* liveWindow = nullptr;
    // A signal ends the program as File > Exit does. Any event loop takes it: the main one, a
    // message box's, or one of start-up's, before the window exists. exit() ends every loop
    // running and makes those still to come return at once, so no box holds up the end.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::requested, [&notifier, &liveWindow] {
        notifier.setUnattended(true);
        if (liveWindow) liveWindow->close();
        QCoreApplication::exit(0);
    });
    try {
        MainWindow window(usb, notifier);
        liveWindow = &window;
        // The session manager may still cancel the end of the session, so the program goes on.
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&notifier, &window] {
            notifier.setUnattended(true);
            SavePlacement(window, window.controller());
            window.controller().saveSettings();
            notifier.setUnattended(false);
        });
        if (around) around(window);
        // A signal during start-up leaves nothing to run.
        if (!terminationSignals.wasRequested()) {
            window.show();
            QApplication::exec();
        }
        window.shutDown();
        liveWindow = nullptr;
        // The window goes at the end of this block and the toolkit after it, each in order; the
        // toolkit hands what was copied to the desktop's clipboard manager.
    } catch (const SettingsError& e) {
        // A settings file that cannot be read ends the start-up with a message naming it.
        showException(notifier, e.namesFile() ? PathText(e.what()) : QString::fromLatin1(e.what()));
    } catch (const std::exception& e) {
        showException(notifier, QString::fromLatin1(e.what()));
    } catch (...) {
        showException(notifier, QString());
    }
    return 0;
}

}  // namespace corvane
