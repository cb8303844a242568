#include <QGuiApplication>
#include <QScreen>

#include <exception>
#include <vector>

#include "app/corvane.h"

namespace corvane {

namespace {

void ShowSettingsError(Notifier& notifier, const std::exception& error) {
    const auto* settings = dynamic_cast<const SettingsError*>(&error);
    if (settings && settings->namesFile())
        notifier.showFileMessage(kMainTitle, error.what(), MessageIcon::Error);
    else
        notifier.showMessage(kMainTitle, error.what(), MessageIcon::Error);
}

}  // namespace

void TCorvane_Form::OpenSettings() {
    XmlFileStore = std::make_unique<TXmlFileStore>(SettingsLocation(m_options.commonDataFolder));
    m_settings = std::make_unique<SettingsFile>(*XmlFileStore);
    // A file that does not parse throws out of the construction; nothing has been written then.
    m_settings->Open();
}

void TCorvane_Form::LoadArrangement() {
    m_settings->ReadArrangement(m_state);
}

void TCorvane_Form::LoadNames() {
    m_settings->ReadNames(m_names);
}

void TCorvane_Form::SaveSettings() {
    if (!XmlFileStore || !XmlFileStore->isOpen()) return;
    try {
        // Without the unit's slave count the arrangement was lowered to 1x1 and unit 1; saving
        // that would lose the operator's arrangement for the next start with the unit.
        if (m_startupFailed)
            m_settings->Close(m_recentFiles.entries(), m_names);
        else
            m_settings->Close(m_recentFiles.entries(), m_names, m_state);
    } catch (const std::exception& e) {
        // The program still ends; only the settings of this run are lost.
        ShowSettingsError(m_notifier, e);
    }
}

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
    p.showCmd = (states & Qt::WindowMinimized) ? 2 : (states & Qt::WindowMaximized) ? 3 : 1;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    p.pixelsPerInch = window.logicalDpiY();
    return p;
}

}  // namespace

void TCorvane_Form::RestoreWindowState() {
    if (!XmlFileStore || !XmlFileStore->isOpen()) return;
    const WindowPlacement current = placementOf(*this);
    const std::optional<RestoredPlacement> restored = RestoreWindowPlacement(*XmlFileStore, current);
    if (!restored) return;
    if (restored->placement) {
        // A placement from another screen set-up, or a damaged file, must not give a window far
        // off the screen or larger than it: one of 100000 pixels square takes gigabytes to paint.
        std::vector<QRect> screens;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            screens.push_back(primary->availableGeometry());
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen != QGuiApplication::primaryScreen()) screens.push_back(screen->availableGeometry());
        setGeometry(FitOnScreens(*restored->placement, screens));
    }
    switch (restored->show) {
        case WindowShow::Minimized: {
            Qt::WindowStates states = Qt::WindowMinimized;
            if (restored->placement && (restored->placement->flags & kRestoreToMaximized))
                states |= Qt::WindowMaximized;
            setWindowState(states);
            break;
        }
        case WindowShow::Maximized:
            setWindowState(Qt::WindowMaximized);
            break;
        case WindowShow::Normal:
            setWindowState(Qt::WindowNoState);
            break;
    }
}

void TCorvane_Form::SaveWindowState() {
    if (!XmlFileStore || !XmlFileStore->isOpen()) return;
    try {
        SaveWindowPlacement(*XmlFileStore, placementOf(*this));
    } catch (const std::exception& e) {
        // Only the last EndAccess writes; the program's own access is still open here.
        ShowSettingsError(m_notifier, e);
    }
}

}  // namespace corvane
