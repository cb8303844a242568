#include "app/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <vector>

#include "controller/configurationsession.h"
#include "controller/matrixcontroller.h"
#include "storage/settingsfile.h"

namespace corvane {

namespace {

// The placement is kept as the client area's normal (not maximised) geometry, the frame left out,
// so a restored window comes back with the same client size whatever the window manager draws.
constexpr int kRestoreToMaximized = 2;  // a minimised window that was maximised before

WindowPlacement placementOf(const QWidget& window) {
    QRect normal = window.normalGeometry();
    if (normal.isNull()) normal = window.geometry();
    WindowPlacement p;
    const Qt::WindowStates states = window.windowState();
    p.flags = (states & Qt::WindowMinimized) && (states & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
    p.showCmd = (states & Qt::WindowMinimized)   ? settings::kShowMinimized
                : (states & Qt::WindowMaximized) ? settings::kShowMaximized
                                                 : settings::kShowNormal;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    p.pixelsPerInch = window.logicalDpiY();
    return p;
}

}  // namespace

void RestorePlacement(QWidget& window, const ConfigurationSession& session) {
    if (!session.isOpen()) return;
    const std::optional<RestoredPlacement> restored = session.restorePlacement(placementOf(window));
    if (!restored) return;
    if (restored->placement) {
        // A placement from another screen set-up, or a damaged file, must not give a window far
        // off the screen or larger than it: one of 100000 pixels square takes gigabytes to paint.
        std::vector<QRect> screens;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            screens.push_back(primary->availableGeometry());
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen != QGuiApplication::primaryScreen()) screens.push_back(screen->availableGeometry());
        window.setGeometry(FitOnScreens(*restored->placement, screens));
    }
    switch (restored->show) {
        case WindowShow::Minimized: {
            Qt::WindowStates states = Qt::WindowMinimized;
            if (restored->placement && (restored->placement->flags & kRestoreToMaximized))
                states |= Qt::WindowMaximized;
            window.setWindowState(states);
            break;
        }
        case WindowShow::Maximized:
            window.setWindowState(Qt::WindowMaximized);
            break;
        case WindowShow::Normal:
            window.setWindowState(Qt::WindowNoState);
            break;
    }
}

void SavePlacement(const QWidget& window, MatrixController& controller) {
    controller.saveWindowPlacement(placementOf(window));
}

}  // namespace corvane
