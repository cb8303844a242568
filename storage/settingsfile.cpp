#include "storage/settingsfile.h"
#include "storage/diskfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace corvane {

namespace settings {

namespace {
// Two digits for 1..9 ("0%d"), the number itself from 10 on.
std::string numbered(std::string_view prefix, int number) {
    return std::string(prefix) + (number < 10 ? "0" : "") + std::to_string(number);
}
}  // namespace

std::string ReopenKey(int number) {
    return numbered("Reopen", number);
}
std::string LineNamesSection(int unitNumber) {
    return numbered("LineNames", unitNumber);
}
std::string ChannelNamesSection(int unitNumber) {
    return numbered("ChannelNames", unitNumber);
}
std::string LineKey(int number) {
    return numbered("Line", number);
}
std::string ChannelKey(int number) {
    return numbered("Channel", number);
}

}  // namespace settings

namespace {

// Names of the first run: "Line 01".."Line 16", "Channel 01".."Channel 04", "Disconnected".
std::string firstRunLineName(int number) {
    return (number < 10 ? "Line 0" : "Line ") + std::to_string(number);
}
std::string firstRunChannelName(int number) {
    return number == kChannelEntries ? "Disconnected" : "Channel 0" + std::to_string(number);
}

int lenientInt(std::string_view text, int defaultValue) {
    int value = 0;
    return ParseStrictInt(text, value) ? value : defaultValue;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::string SettingsLocation(const std::string& commonAppDataFolder) {
    const std::string folder = commonAppDataFolder + "/" + std::string(settings::kFolder);
    const QString path = PathText(folder);
    // On a fresh account even the common folder may be missing (~/.local/share): the whole path is
    // made. A failure shows when the file is written at exit.
    if (!QFileInfo(path).isDir()) QDir().mkpath(path);
    return folder + "/" + std::string(settings::kFileName);
}

void SettingsFile::Open() {
    const bool firstRun = !QFileInfo::exists(PathText(m_store.fileName()));
    m_store.BeginAccess();
    if (firstRun) writeFirstRunValues();
}

void SettingsFile::writeFirstRunValues() {
    using namespace settings;
    for (int i = 1; i <= kRecentFiles; ++i) m_store.WriteSetting(kReopenSection, ReopenKey(i), "");
    for (int unit = 1; unit <= kUnits; ++unit) {
        for (int line = 1; line <= kLines; ++line)
            m_store.WriteSetting(LineNamesSection(unit), LineKey(line), firstRunLineName(line));
        for (int channel = 1; channel <= kChannelEntries; ++channel)
            m_store.WriteSetting(ChannelNamesSection(unit), ChannelKey(channel),
                                 firstRunChannelName(channel));
    }
    m_store.WriteSettingInt(kMatrixSection, kLayoutKey, 0);
    m_store.WriteSettingInt(kMatrixSection, kUnitKey, 0);
}

ReopenList SettingsFile::ReadRecentFiles() const {
    ReopenList recent;
    for (int i = 0; i < kRecentFiles; ++i)
        recent[static_cast<std::size_t>(i)] =
            m_store.ReadSetting(settings::kReopenSection, settings::ReopenKey(i + 1), "");
    return recent;
}

void SettingsFile::ReadArrangement(MatrixState& state) const {
    // Only the low byte counts: a missing key (-1) becomes 255, which the arrangement check resets.
    const int layout = m_store.ReadSettingInt(settings::kMatrixSection, settings::kLayoutKey);
    const int unit = m_store.ReadSettingInt(settings::kMatrixSection, settings::kUnitKey);
    state.MatrixLayout = static_cast<std::uint8_t>(layout);
    state.SelectedUnit = static_cast<std::uint8_t>(unit);
}

void SettingsFile::ReadNames(NameTable& names) const {
    using namespace settings;
    for (int unit = 0; unit < kUnits; ++unit) {
        const std::string lineSection = LineNamesSection(unit + 1);
        for (int entry = 0; entry < kLineEntries; ++entry)
            names.setLineName(unit, entry,
                              m_store.ReadSetting(lineSection, LineKey(entry + 1), kLineDefault));
        const std::string channelSection = ChannelNamesSection(unit + 1);
        for (int entry = 0; entry < kChannelEntries; ++entry)
            names.setChannelName(unit, entry,
                                 m_store.ReadSetting(channelSection, ChannelKey(entry + 1), kChannelDefault));
    }
}

void SettingsFile::Close(const ReopenList& recent, const NameTable& names, const MatrixState& state) {
    close(recent, names, &state);
}

void SettingsFile::Close(const ReopenList& recent, const NameTable& names) {
    close(recent, names, nullptr);
}

void SettingsFile::close(const ReopenList& recent, const NameTable& names, const MatrixState* arrangement) {
    using namespace settings;
    for (int i = 0; i < kRecentFiles; ++i)
        m_store.WriteSetting(kReopenSection, ReopenKey(i + 1), recent[static_cast<std::size_t>(i)]);
    for (int unit = 0; unit < kUnits; ++unit) {
        // The no-line column's name is read at start-up but never written.
        for (int entry = 0; entry < kLines; ++entry)
            m_store.WriteSetting(LineNamesSection(unit + 1), LineKey(entry + 1), names.lineName(unit, entry));
        for (int entry = 0; entry < kChannelEntries; ++entry)
            m_store.WriteSetting(ChannelNamesSection(unit + 1), ChannelKey(entry + 1),
                                 names.channelName(unit, entry));
    }
    if (arrangement != nullptr) {
        m_store.WriteSettingInt(kMatrixSection, kLayoutKey, arrangement->MatrixLayout);
        m_store.WriteSettingInt(kMatrixSection, kUnitKey, arrangement->SelectedUnit);
    }
    m_store.EndAccess();
}

std::optional<RestoredPlacement> RestoreWindowPlacement(XmlSettingsStore& store,
                                                        const WindowPlacement& current) {
    using namespace settings;
    store.BeginAccess();
    std::optional<RestoredPlacement> restored;
    // Another display setting would put the window somewhere unexpected: restore nothing then.
    if (store.ReadSettingIntDefault(kFormSection, kPixelsPerInchKey, current.pixelsPerInch) ==
        current.pixelsPerInch) {
        const int flags = lenientInt(store.ReadSetting(kFormSection, kFlagsKey, ""), current.flags);
        const std::string normalPos = store.ReadSetting(kFormSection, kNormalPosKey, "");
        if (!normalPos.empty()) {
            int edges[4] = {current.left, current.top, current.right, current.bottom};
            std::string_view rest = normalPos;
            for (int& edge : edges) {
                const std::size_t comma = rest.find(',');
                edge = lenientInt(trimmed(rest.substr(0, comma)), edge);
                if (comma == std::string_view::npos) break;
                rest.remove_prefix(comma + 1);
            }
            restored.emplace();
            if (edges[0] < edges[2])
                restored->placement =
                    WindowPlacement{flags, 0, edges[0], edges[1], edges[2], edges[3], current.pixelsPerInch};
            const int showCmd = lenientInt(store.ReadSetting(kFormSection, kShowCmdKey, ""), 0);
            restored->show = (showCmd == kShowMinimized || showCmd == kShowMinimizedInactive)
                                 ? WindowShow::Minimized
                             : showCmd == kShowMaximized ? WindowShow::Maximized
                                                         : WindowShow::Normal;
        }
    }
    store.EndAccess();
    return restored;
}

QRect FitOnScreens(const WindowPlacement& placement, const std::vector<QRect>& screens) {
    // Saved edges can be anything a file holds: work in 64 bits so that no width overflows.
    const std::int64_t left = placement.left;
    const std::int64_t top = placement.top;
    const std::int64_t width = std::max<std::int64_t>(0, std::int64_t{placement.right} - left);
    const std::int64_t height = std::max<std::int64_t>(0, std::int64_t{placement.bottom} - top);
    const auto overlap = [&](const QRect& area) {
        const std::int64_t w = std::min<std::int64_t>(left + width, area.left() + area.width()) -
                               std::max<std::int64_t>(left, area.left());
        const std::int64_t h = std::min<std::int64_t>(top + height, area.top() + area.height()) -
                               std::max<std::int64_t>(top, area.top());
        return w > 0 && h > 0 ? w * h : 0;
    };
    const QRect* target = screens.empty() ? nullptr : &screens.front();
    std::int64_t most = 0;
    for (const QRect& area : screens) {
        if (overlap(area) > most) {
            most = overlap(area);
            target = &area;
        }
    }
    if (target == nullptr || (most > 0 && width <= target->width() && height <= target->height())) {
        constexpr std::int64_t kLargest = std::numeric_limits<int>::max();
        return QRect(placement.left, placement.top, static_cast<int>(std::min(width, kLargest - left)),
                     static_cast<int>(std::min(height, kLargest - top)));
    }

    const int w = static_cast<int>(std::min<std::int64_t>(width, target->width()));
    const int h = static_cast<int>(std::min<std::int64_t>(height, target->height()));
    const auto inside = [](std::int64_t edge, int areaStart, int areaLength, int length) {
        return static_cast<int>(
            std::clamp<std::int64_t>(edge, areaStart, std::int64_t{areaStart} + areaLength - length));
    };
    return QRect(inside(left, target->left(), target->width(), w),
                 inside(top, target->top(), target->height(), h), w, h);
}

void SaveWindowPlacement(XmlSettingsStore& store, const WindowPlacement& placement, int color) {
    using namespace settings;
    store.BeginAccess();
    store.WriteSetting(kFormSection, kFlagsKey, std::to_string(placement.flags));
    store.WriteSetting(kFormSection, kShowCmdKey, std::to_string(placement.showCmd));
    store.WriteSetting(kFormSection, kNormalPosKey,
                       std::to_string(placement.left) + "," + std::to_string(placement.top) + "," +
                           std::to_string(placement.right) + "," + std::to_string(placement.bottom));
    store.WriteSettingInt(kFormSection, kPixelsPerInchKey, placement.pixelsPerInch);
    store.WriteSettingInt(kFormSection, kColorKey, color);
    store.EndAccess();
}

}  // namespace corvane
