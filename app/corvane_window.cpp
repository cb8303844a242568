#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "app/corvane.h"
#include "view/led.h"

namespace corvane {

// The fixed layout of the window: menus, tool bar, panels and status bar.
void TCorvane_Form::BuildWindow() {
    setWindowTitle(QStringLiteral("CORVANE"));
    auto* central = new QWidget(this);
    central->setFixedSize(785, 570 - 24 - 28 - 19);
    setCentralWidget(central);
    resize(785, 570);
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(this);
        statusBar()->addWidget(StatusPanels[i]);
    }
    StatusPanels[0]->setText(QStringLiteral("Memory"));
    StatusPanels[1]->setText(QStringLiteral("Unit"));
    OkButton = new QPushButton(QStringLiteral("OK"), central);
    OkButton->hide();
    Leds[11] = new Led(central);
    Leds[11]->hide();
}

void TCorvane_Form::InstallHints() {
    qApp->installEventFilter(this);
}

bool TCorvane_Form::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && AppMessageHandler(watched, static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool TCorvane_Form::event(QEvent* event) {
    return QMainWindow::event(event);
}

bool TCorvane_Form::AppMessageHandler(QObject*, QKeyEvent*) {
    return false;
}

}  // namespace corvane
