// The two option files and the saving of the options.
//
// data\settings.cnfg, six lines: "Auto start with Windows ", "Always start in
// system tray only" ("-1" set, "0" cleared), then the widths of the task
// table's first four columns in definition order ("#", Desc, Hotkey, Dest),
// then the pause hotkey's code in decimal ("0": none). Older versions read
// six lines and ignore the rest, so the seventh is read only when it is
// there and valid.
// data\w_size.cnfg, five lines: the main window's width, height, state ("0"
// normal, "1" minimized, "2" maximized), left and top.
// Single-byte text, CR LF after every line; a reader splits at CR LF, CR or
// LF and ignores lines past those it needs. Widths and the window's size are
// pixels at 96 dpi: loading scales them to the window's dpi and saving
// scales them back, so a file written at 100% is what it always was and the
// columns keep their look on a screen at 150%.
//
// Loading applies each line's effect at once, in file order, through a
// SettingsTarget (the main window), and stops at the first bad line with the
// effects before it kept. A missing file is no error: the designed defaults
// stand.
#pragma once

#include "app/options/Autostart.h"
#include "app/layout/MainLayout.h"
#include "app/layout/ScreenPlace.h"
#include "hotkeys/HotKeyText.h"

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {

// A line that does not convert, or a file with too few lines. The message is
// the text the user sees.
class SettingsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kStoredColumnCount = 4;

struct SettingsValues {
    bool autoStart = true; // CheckBox1, "Auto start with Windows "
    bool trayOnly = true;  // CheckBox2, "Always start in system tray only"
    // At 96 dpi: "#" takes five digits, the text columns their designed
    // widths (the grid scrolls sideways where the window is narrower).
    std::array<int, kStoredColumnCount> columnWidths{44, 104, 105, 211};
    HotKeyCode pauseHotKey = 0; // none
    // "Pause while a full-screen program is in front": line 8, which older
    // versions never read; written only when set.
    bool pauseFullScreen = false;
};

// The designed options with the column widths at dpi (a first start).
SettingsValues DesignedSettings(int dpi);

enum class WindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };

// The main window's designed outer size, in pixels at 96 dpi. The least
// it may be made is what its controls need (MinimumClientSize).
inline constexpr int kDesignWindowWidth = 609;
inline constexpr int kDesignWindowHeight = 449;

struct WindowSizeValues {
    // The window's outer bounds; the designed window is centred (the window
    // works out where that is).
    int width = kDesignWindowWidth;
    int height = kDesignWindowHeight;
    WindowState state = WindowState::Normal;
    int left = 0;
    int top = 0;
};

// What loading changes, in the order it changes it. The main window applies
// each call to itself at once; a later failure keeps what earlier calls did.
class SettingsTarget {
  public:
    virtual ~SettingsTarget() = default;
    virtual void SetAutoStartOption(bool set) = 0; // CheckBox1
    virtual void SetTrayOnlyOption(bool set) = 0;  // CheckBox2
    // column: 0 to 3, in the grid's definition order, not its display order.
    virtual void SetColumnWidth(int column, int width) = 0;
    // Line 7, when the file has a valid one.
    virtual void SetPauseHotKey(HotKeyCode code) = 0;
    // Line 8; a file without it (six or seven lines) clears the option.
    virtual void SetPauseFullScreenOption(bool set) = 0;
    virtual void ShowMainWindow() = 0;
    virtual void SetWindowWidth(int width) = 0;
    virtual void SetWindowHeight(int height) = 0;
    virtual void MaximizeWindow() = 0;
    // Moves the window to the top of the window order at left, top, keeping
    // its size. Anything it throws is ignored: a bad position never fails a load.
    virtual void MoveWindowTo(int left, int top) = 0;
};

// ---- The formats, bytes in and out ----

// Lines 1 to 6 to the target, line 7 when valid, line 8, then shows the main window when the
// tray-only option is now cleared. Throws SettingsError at the first line that is missing or does
// not convert, after applying the lines before it.
void ApplySettingsFile(std::span<const std::uint8_t> bytes, SettingsTarget& target);

// Lines 1 to 3 (width, height, maximize when line 3 is exactly "2"), then,
// only with moveWindow, lines 4 and 5 (left, top). A missing or malformed
// line 4 or 5 leaves the position as it was, silently. Throws SettingsError
// for lines 1 to 3 as above.
void ApplyWindowSizeFile(std::span<const std::uint8_t> bytes, SettingsTarget& target,
                         bool moveWindow = true);

std::vector<std::uint8_t> EncodeSettingsFile(const SettingsValues& values);
std::vector<std::uint8_t> EncodeWindowSizeFile(const WindowSizeValues& values);

// ---- Loading ----

struct SettingsPaths {
    std::u16string settingsFile;   // full path of data\settings.cnfg
    std::u16string windowSizeFile; // full path of data\w_size.cnfg
};
SettingsPaths SettingsPathsFor(std::u16string_view exePath);

struct LoadSettingsOutcome {
    bool settingsFileMissing = false;
    bool windowSizeFileMissing = false;
};

// Reads and applies both files, in this order: the settings file (as
// ApplySettingsFile), then the window-size file (as ApplyWindowSizeFile).
// Each file is judged on its own. A settings file that does not exist sets
// the designed options and widths and shows the main window (a first start:
// the user sees the program rather than an icon in the notification area's
// overflow); a window-size file that does not exist changes nothing. A file
// that exists but cannot be read throws IoError "Cannot open file "<path>".
// <reason>"; a bad line throws SettingsError; either way the steps before it
// stay applied and, after a settings file failure, the window-size file is
// not read. dpi: the window's, to which widths and sizes are scaled.
LoadSettingsOutcome LoadSettings(const SettingsPaths& paths, SettingsTarget& target,
                                 int dpi = kDesignDpi);

// Deletes the temporary files of option file saves that were killed before
// their last step. For the start, while no other copy writes there.
void RemoveLeftoverTempFiles(const SettingsPaths& paths);

// The tray icon's left click: width, height and maximized state again from
// the window-size file, not the position. Nothing happens when the file does
// not exist (returns false); throws like LoadSettings otherwise.
bool ReapplyWindowSize(const std::u16string& windowSizePath, SettingsTarget& target,
                       int dpi = kDesignDpi);

// ---- Saving ----

// What one save could not keep; an empty text means that part was kept.
// Texts are UTF-8 and name the file or the value.
struct SaveSettingsResult {
    std::string runValueError;
    std::string settingsFileError;
    std::string windowSizeFileError;
    bool AllKept() const {
        return runValueError.empty() && settingsFileError.empty() && windowSizeFileError.empty();
    }
};

// Writes the autostart value (AutostartRunValue of the option and exePath),
// then the settings file, then the window-size file, each file replaced
// whole and atomically; a missing data folder is not created (the task
// list's save makes it). A failed settings file leaves the window-size file
// unwritten. Never throws: the exit routes ignore the result, "Save" shows
// SaveSettingsReportText of it. dpi: the window's, at which the widths and
// the size were read.
SaveSettingsResult SaveSettings(const SettingsValues& settings, const WindowSizeValues& windowSize,
                                const SettingsPaths& paths, AutostartStore& autostart,
                                std::u16string_view exePath, int dpi = kDesignDpi);

// One message naming everything a save could not keep; empty when it kept
// everything.
std::u16string SaveSettingsReportText(const SaveSettingsResult& result);

} // namespace keyvane
