#pragma once

#include <QRect>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/matrixstate.h"
#include "model/nametable.h"
#include "storage/recentfiles.h"
#include "storage/xmlsettingsstore.h"

namespace corvane {

// The recent files as the settings keep them, one "Reopen" entry each.
using ReopenList = RecentFiles::Entries;

namespace settings {
inline constexpr std::string_view kFolder = "QUENDA";
inline constexpr std::string_view kFileName = "matrix.xml";
inline constexpr std::string_view kReopenSection = "Reopen";
inline constexpr std::string_view kMatrixSection = "MatrixNumber";
inline constexpr std::string_view kLayoutKey = "Lines";
inline constexpr std::string_view kUnitKey = "Number";
inline constexpr std::string_view kLineDefault = "Line";
inline constexpr std::string_view kChannelDefault = "Channel";

inline constexpr std::string_view kFormSection = "TCorvane_Form";
inline constexpr std::string_view kFlagsKey = "Flags";
inline constexpr std::string_view kShowCmdKey = "ShowCmd";
// Its values: how the window was shown. Minimised without activation is read as minimised.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinimizedInactive = 6;
inline constexpr std::string_view kNormalPosKey = "NormalPos";
inline constexpr std::string_view kPixelsPerInchKey = "PixelsPerInch";
inline constexpr std::string_view kColorKey = "Color";
inline constexpr int kButtonFaceColor = -16777201;

// "Reopen0%d", "LineNames0%d", "ChannelNames0%d", "Channel0%d" and "Line0%d"/"Line%d", numbered from 1.
std::string ReopenKey(int number);
std::string LineNamesSection(int unitNumber);
std::string ChannelNamesSection(int unitNumber);
std::string LineKey(int number);
std::string ChannelKey(int number);
}  // namespace settings

// The settings file inside the common application-data folder: "<folder>/QUENDA/matrix.xml".
// Creates the folder with every missing parent (a failure shows up when the file is written at
// exit).
std::string SettingsLocation(const std::string& commonAppDataFolder);

// What the program keeps in the settings file: recent files, names, arrangement and selected
// unit. Works on a store the main window owns, which it opens at start-up and closes at exit.
class SettingsFile {
  public:
    explicit SettingsFile(XmlSettingsStore& store) : m_store(store) {}

    // Opens the store for the whole run; when no file exists yet, seeds it with the first-run values.
    void Open();
    ReopenList ReadRecentFiles() const;
    // MatrixLayout and SelectedUnit; a missing key gives 255. A value that is not an integer
    // throws SettingsError.
    void ReadArrangement(MatrixState& state) const;
    // All 17 line names and 5 channel names of every unit.
    void ReadNames(NameTable& names) const;
    // Writes recent files, names (not the no-line column), arrangement and selected unit, and
    // closes the store, which saves the file. Throws SettingsError when the file cannot be written.
    void Close(const ReopenList& recent, const NameTable& names, const MatrixState& state);
    // The same, leaving the saved arrangement and selected unit as they are: for a run that never
    // read the unit, whose arrangement says nothing about the operator's.
    void Close(const ReopenList& recent, const NameTable& names);

  private:
    void writeFirstRunValues();
    void close(const ReopenList& recent, const NameTable& names, const MatrixState* arrangement);

    XmlSettingsStore& m_store;
};

// The main window's placement record as the settings file keeps it. The rectangle is the normal
// (not maximised) geometry: right = left + width, bottom = top + height.
struct WindowPlacement {
    int flags = 0;
    int showCmd = settings::kShowNormal;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int pixelsPerInch = 96;
};

enum class WindowShow { Normal, Minimized, Maximized };

struct RestoredPlacement {
    // Flags and normal rectangle to apply; empty when the stored rectangle is not usable.
    std::optional<WindowPlacement> placement;
    WindowShow show = WindowShow::Normal;
};

// Reads the placement saved under "TCorvane_Form". Nothing to apply when the saved pixels per
// inch differ from the current ones or no normal rectangle was saved. Missing or malformed
// numbers take the current placement's values.
std::optional<RestoredPlacement> RestoreWindowPlacement(XmlSettingsStore& store,
                                                        const WindowPlacement& current);
// Where a window with this normal rectangle is shown, given the available areas of the screens,
// the primary one first. A rectangle that overlaps a screen and is no larger than it stays as it
// is, even partly off the screen (as a window spanning two screens is). One larger than the
// screen that holds most of it, or one off every screen, is brought onto that screen (the
// primary one when none holds any of it) and made no larger than its available area.
QRect FitOnScreens(const WindowPlacement& placement, const std::vector<QRect>& screens);

// Writes the placement under "TCorvane_Form". The caller passes show command 2 when the
// application is minimised.
void SaveWindowPlacement(XmlSettingsStore& store, const WindowPlacement& placement,
                         int color = settings::kButtonFaceColor);

}  // namespace corvane
