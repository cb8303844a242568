#include "controller/configurationsession.h"

#include "device/messages.h"
#include "device/notifier.h"

namespace corvane {

void ShowSettingsError(Notifier& notifier, const std::exception& error) {
    const auto* settings = dynamic_cast<const SettingsError*>(&error);
    if (settings && settings->namesFile())
        notifier.showFileMessage(kMainTitle, error.what(), MessageIcon::Error);
    else
        notifier.showMessage(kMainTitle, error.what(), MessageIcon::Error);
}

void ConfigurationSession::open(const std::string& commonDataFolder) {
    m_store = std::make_unique<XmlSettingsStore>(SettingsLocation(commonDataFolder));
    m_settings = std::make_unique<SettingsFile>(*m_store);
    m_settings->Open();
}

std::optional<RestoredPlacement> ConfigurationSession::restorePlacement(
    const WindowPlacement& current) const {
    if (!isOpen()) return std::nullopt;
    return RestoreWindowPlacement(*m_store, current);
}

void ConfigurationSession::savePlacement(const WindowPlacement& placement, Notifier& notifier) {
    if (!isOpen()) return;
    try {
        SaveWindowPlacement(*m_store, placement);
    } catch (const std::exception& e) {
        // Only the last EndAccess writes; the program's own access is still open here.
        ShowSettingsError(notifier, e);
    }
}

ReopenUpdate ConfigurationSession::loadRecentFiles() {
    return m_recentFiles.load(m_settings->ReadRecentFiles());
}

void ConfigurationSession::close(const NameTable& names, const MatrixState* arrangement, Notifier& notifier) {
    if (!isOpen()) return;
    try {
        if (arrangement)
            m_settings->Close(m_recentFiles.entries(), names, *arrangement);
        else
            m_settings->Close(m_recentFiles.entries(), names);
    } catch (const std::exception& e) {
        ShowSettingsError(notifier, e);
    }
}

void ConfigurationSession::save(const NameTable& names, const MatrixState* arrangement, Notifier& notifier) {
    if (!isOpen()) return;
    close(names, arrangement, notifier);
    try {
        m_settings->Open();
    } catch (const std::exception& e) {
        // The file this run just wrote no longer reads: the end of the run writes nothing more.
        ShowSettingsError(notifier, e);
    }
}

}  // namespace corvane
