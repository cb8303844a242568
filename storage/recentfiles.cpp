#include "storage/recentfiles.h"

#include <algorithm>

namespace corvane {

ReopenUpdate RecentFiles::showFilled(ReopenChange forEmpty) const {
    ReopenUpdate update;
    for (int i = 0; i < kRecentFiles; ++i) {
        if (m_entries[i].empty()) {
            update[i].change = forEmpty;
        } else {
            update[i].change = ReopenChange::Show;
            update[i].caption = m_entries[i];
        }
    }
    return update;
}

ReopenUpdate RecentFiles::load(const Entries& entries) {
    m_entries = entries;
    return showFilled(ReopenChange::Keep);
}

ReopenUpdate RecentFiles::add(std::string_view path) {
    // An empty path would only turn the newest entry into a free one.
    if (path.empty() || std::find(m_entries.begin(), m_entries.end(), path) != m_entries.end()) return {};
    std::move_backward(m_entries.begin(), m_entries.end() - 1, m_entries.end());
    m_entries[0] = path;
    return showFilled(ReopenChange::Keep);
}

ReopenUpdate RecentFiles::remove(int index) {
    if (index < 0 || index >= kRecentFiles) return {};
    std::move(m_entries.begin() + index + 1, m_entries.end(), m_entries.begin() + index);
    m_entries.back().clear();
    return showFilled(ReopenChange::Hide);
}

}  // namespace corvane
