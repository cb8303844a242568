#include "app/messageboxnotifier.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

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
}  // namespace

int MessageBoxNotifier::run(const std::string& title, const QString& text, MessageIcon icon, int buttons) {
    if (m_unattended) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.trimmed().toLocal8Bit().constData());
        std::fflush(stderr);
        return QMessageBox::Cancel;
    }
    QMessageBox box(iconOf(icon), QString::fromLatin1(title), text, QMessageBox::StandardButtons(buttons),
                    QApplication::activeWindow());
    return box.exec();
}

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
