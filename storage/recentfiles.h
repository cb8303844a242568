#pragma once

#include <array>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr int kRecentFiles = 5;

// What the window does to one entry of the Reopen submenu.
enum class ReopenChange {
    Keep,  // leave the entry exactly as it is
    Show,  // visible, command Reopen<i + 1>, the path as caption
    Hide,  // hidden, no command, empty caption
};

struct ReopenEntryUpdate {
    ReopenChange change = ReopenChange::Keep;
    std::string caption;  // the path, for Show
};

using ReopenUpdate = std::array<ReopenEntryUpdate, kRecentFiles>;

// The last five matrix files saved or loaded, entry 0 the most recent; an empty text is a free
// entry. Paths are compared as exact byte strings. Every change returns what the submenu must do,
// entry by entry, so the window applies it without rules of its own.
class RecentFiles {
  public:
    using Entries = std::array<std::string, kRecentFiles>;

    // Start-up from the settings: non-empty entries are shown, empty ones left as designed. A list
    // read from an edited settings file may have gaps; they are kept.
    ReopenUpdate load(const Entries& entries);
    // A new path goes on top and the oldest drops out; a path already listed changes nothing.
    // Submenu entries of empty list entries are not touched.
    ReopenUpdate add(std::string_view path);
    // Removes entry 0..4 and closes the gap; every submenu entry is shown or hidden anew.
    ReopenUpdate remove(int index);

    const Entries& entries() const { return m_entries; }

  private:
    ReopenUpdate showFilled(ReopenChange forEmpty) const;

    Entries m_entries;
};

}  // namespace corvane
