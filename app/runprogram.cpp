#include "app/runprogram.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <thread>

#include "app/mainwindow.h"
#include "app/messageboxnotifier.h"
#include "storage/diskfile.h"
#include "view/applicationstyle.h"
#include "view/fonts.h"
#include "view/storedpictures.h"

namespace corvane {

namespace {
void showException(const QString& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}
}  // namespace

int RunProgram(int argc, char** argv, UsbInterface& usb, const std::function<void(MainWindow&)>& around) {
    QApplication app(argc, argv);
    // The slow parts of a start that need no window run on a second thread while the window is
    // built; whatever the window asks for before it is ready, it reads itself.
    InstallFontSubstitutions();  // before the thread: nothing guards the table
    const std::jthread readAhead([] {
        ReadStoredPicturesAhead();
        ResolveWindowFonts();
    });
    QApplication::setStyle(new ApplicationStyle);
    QApplication::setApplicationName(QStringLiteral("CORVANE"));
    try {
        MessageBoxNotifier notifier;
        MainWindow form(usb, notifier);
        if (around) around(form);
        form.show();
        QApplication::exec();
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
