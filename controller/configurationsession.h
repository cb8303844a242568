#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "model/matrixstate.h"
#include "model/nametable.h"
#include "storage/recentfiles.h"
#include "storage/settingsfile.h"
#include "storage/xmlsettingsstore.h"

namespace corvane {

class Notifier;

// Shows a failure to read or write the settings file; a names file's path is local 8-bit text.
void ShowSettingsError(Notifier& notifier, const std::exception& error);

// The settings file for the whole run and the recent files it keeps. Opened at start-up, closed
// (and so written) once at exit.
class ConfigurationSession {
  public:
    // A file that does not parse throws SettingsError; nothing has been written then.
    void open(const std::string& commonDataFolder);
    bool isOpen() const { return m_store && m_store->isOpen(); }
    // The window's placement as the file holds it, for a window placed at `current` now; nothing
    // before open().
    std::optional<RestoredPlacement> restorePlacement(const WindowPlacement& current) const;
    // Writes the window's placement; a failure is shown.
    void savePlacement(const WindowPlacement& placement, Notifier& notifier);

    ReopenUpdate loadRecentFiles();
    void readArrangement(MatrixState& state) const { m_settings->ReadArrangement(state); }
    void readNames(NameTable& names) const { m_settings->ReadNames(names); }
    ReopenUpdate addRecentFile(const std::string& path) { return m_recentFiles.add(path); }
    ReopenUpdate removeRecentFile(int index) { return m_recentFiles.remove(index); }
    const RecentFiles& recentFiles() const { return m_recentFiles; }

    // Writes recent files, names and, when given, the arrangement. A failure is shown; the program
    // still ends and only this run's settings are lost.
    void close(const NameTable& names, const MatrixState* arrangement, Notifier& notifier);
    // The same write in the middle of the run; the file is then read again for the rest of it.
    void save(const NameTable& names, const MatrixState* arrangement, Notifier& notifier);

  private:
    std::unique_ptr<XmlSettingsStore> m_store;
    std::unique_ptr<SettingsFile> m_settings;
    RecentFiles m_recentFiles;
};

}  // namespace corvane
