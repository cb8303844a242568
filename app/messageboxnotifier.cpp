#include "app/messageboxnotifier.h"

#include <QApplication>
#include <QMessageBox>

#include "storage/diskfile.h"

namespace corvane {

namespace {
QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

int run(const std::string& title, const QString& text, MessageIcon icon,
        QMessageBox::StandardButtons buttons) {
    QMessageBox box(iconOf(icon), QString::fromLatin1(title), text, buttons, QApplication::activeWindow());
    return box.exec();
}
}  // namespace

void MessageBoxNotifier::showMessage(const std::string& title, const std::string& text, MessageIcon icon) {
    run(title, QString::fromLatin1(text), icon, QMessageBox::Ok);
}

void MessageBoxNotifier::showFileMessage(const std::string& title, const std::string& text,
                                         MessageIcon icon) {
    run(title, PathText(text), icon, QMessageBox::Ok);
}

bool MessageBoxNotifier::confirm(const std::string& title, const std::string& text, MessageIcon icon) {
    return run(title, QString::fromLatin1(text), icon, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

}  // namespace corvane
