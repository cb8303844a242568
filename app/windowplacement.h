#pragma once

class QWidget;

namespace corvane {

class ConfigurationSession;
class Notifier;

// The main window's placement in the settings file: restored at start-up when the screen set-up
// is the same, saved at exit. A failure to save is shown.
void RestorePlacement(QWidget& window, ConfigurationSession& session);
void SavePlacement(const QWidget& window, ConfigurationSession& session, Notifier& notifier);

}  // namespace corvane
