#pragma once

#include <QProxyStyle>

namespace corvane {

// The program's look on every platform: Fusion. One difference: the arrows a menu bar or tool bar
// shows when its items overflow are read only when one is first painted. The window is never
// narrow enough for that, and reading them at start-up loads every image plug-in on the machine,
// since Qt asks each whether it reads the picture better than the built-in reader.
class ApplicationStyle : public QProxyStyle {
    Q_OBJECT
  public:
    ApplicationStyle();

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace corvane
