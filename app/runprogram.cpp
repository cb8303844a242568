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
    InstallFontSubstitutions();
    // Two slow parts of a start need no window and run on a second thread while the window is
    // built: the font list, which the window's first font waits for, and the stored pictures, which
    // the window reads itself if it asks for one before the thread has read it.
    const std::jthread readAhead([] {
        ReadFontList();
        ReadStoredPicturesAhead();
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
