#pragma once

class QWidget;

namespace corvane {

class ConfigurationSession;
class MatrixController;

// The main window's placement in the settings file: restored at start-up when the screen set-up
// is the same, saved at exit. A failure to save is shown.
void RestorePlacement(QWidget& window, const ConfigurationSession& session);
void SavePlacement(const QWidget& window, MatrixController& controller);

}  // namespace corvane
