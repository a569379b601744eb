// Reading, applying and writing the two option files.
#include "app/options/Settings.h"

#include "app/AppPaths.h"
#include "app/SystemCodePage.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Text.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace keyvane {
namespace {

using Lines = std::vector<std::string_view>;

// Six short lines; anything much larger is damage, and is refused before
// it is read or split.
constexpr std::uint64_t kMaxOptionFileBytes = 64 * 1024;

// Lines end at CR LF, CR or LF; a break after the last line adds no empty line.
Lines SplitLines(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Lines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string_view Line(const Lines& lines, std::size_t index) {
    if (index >= lines.size())
        throw SettingsError("List index out of bounds (" + std::to_string(index) + ")");
    return lines[index];
}

// The line as the user would read it in the message, at most its first
// hundred bytes: a damaged file may hold one line of megabytes. A zero byte
// would end the message text there, so it shows as U+FFFD.
std::string Quoted(std::string_view line) {
    constexpr std::size_t kMaxQuoted = 100;
    const bool cut = line.size() > kMaxQuoted;
    std::u16string text = SystemCodePageToUtf16(line.substr(0, kMaxQuoted));
    if (cut) text += u"...";
    std::replace(text.begin(), text.end(), u'\0', u'\uFFFD');
    return "'" + ToUtf8(text) + "'";
}

// Optional sign, then decimal digits only.
bool SplitNumber(std::string_view text, bool& negative, std::string_view& digits) {
    negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    digits = text;
    return true;
}

bool TryParseInt(std::string_view text, int& value) {
    bool negative = false;
    std::string_view digits;
    if (!SplitNumber(text, negative, digits)) return false;
    // Accumulate negatively so INT_MIN fits.
    long long v = 0;
    for (char c : digits) {
        v = v * 10 - (c - '0');
        if (v < std::numeric_limits<int>::min()) return false;
    }
    if (!negative) {
        if (-v > std::numeric_limits<int>::max()) return false;
        v = -v;
    }
    value = static_cast<int>(v);
    return true;
}

int IntegerLine(const Lines& lines, std::size_t index) {
    const std::string_view line = Line(lines, index);
    int value = 0;
    if (!TryParseInt(line, value))
        throw SettingsError(Quoted(line) + " is not a valid integer value");
    return value;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(static_cast<unsigned char>(x)) ==
                      AsciiLower(static_cast<unsigned char>(y));
           });
}

// The index of line 8; line 7 is the pause hotkey's.
constexpr std::size_t kPauseFullScreenLine = 7;

// A number is false when zero and true otherwise, of any length; the words
// True and False in any letter case.
bool BooleanLine(const Lines& lines, std::size_t index) {
    const std::string_view line = Line(lines, index);
    bool negative = false;
    std::string_view digits;
    if (SplitNumber(line, negative, digits))
        return digits.find_first_not_of('0') != std::string_view::npos;
    if (EqualsAsciiNoCase(line, "true")) return true;
    if (EqualsAsciiNoCase(line, "false")) return false;
    throw SettingsError(Quoted(line) + " is not a valid boolean value");
}

void AddLine(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back('\r');
    out.push_back('\n');
}

std::string_view Flag(bool set) {
    return set ? "-1" : "0";
}

// The file's bytes, or nothing when there is no such file. A file that is
// there but cannot be read is an error with the reader's own words.
bool ReadOptionFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
    if (!FileExists(path)) return false; // a first start; a folder there fails the save
    try {
        bytes = ReadWholeFile(path, kMaxOptionFileBytes);
    } catch (const FileTooLargeError&) {
        // The system's text for this code speaks of saving, and Wine has
        // none: say what happened in our own words.
        throw IoError("Cannot open file \"" + ToUtf8(path) +
                      "\". The file is larger than Keyvane reads (" +
                      std::to_string(kMaxOptionFileBytes / 1024) +
                      " KB), so the designed options are used. The file is left as it is "
                      "until the options are saved.");
    } catch (const IoError& e) {
        // "Cannot read file" and "File too large" become the one open error
        // users of this file know; the reason after the path is kept.
        const std::string quotedPath = "\"" + ToUtf8(path) + "\". ";
        std::string reason = e.what();
        const auto at = reason.find(quotedPath);
        if (at != std::string::npos) reason.erase(0, at + quotedPath.size());
        throw IoError("Cannot open file " + quotedPath + reason);
    }
    return true;
}

// A key with no bits but the modifiers' and the keypad's, or 0 (none).
bool IsHotKeyCode(int code) {
    constexpr int kKnown = 0xFF | kKeypadBit | kShiftBit | kCtrlBit | kAltBit | kWinBit;
    return code == 0 || (code > 0 && (code & ~kKnown) == 0 && (code & 0xFF) != 0);
}

template <class F> std::string ErrorOf(F&& write) {
    try {
        write();
        return {};
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace

void ApplySettingsFile(std::span<const std::uint8_t> bytes, SettingsTarget& target) {
    const Lines lines = SplitLines(bytes);
    target.SetAutoStartOption(BooleanLine(lines, 0));
    const bool trayOnly = BooleanLine(lines, 1);
    target.SetTrayOnlyOption(trayOnly);
    for (int c = 0; c < kStoredColumnCount; ++c)
        target.SetColumnWidth(c, IntegerLine(lines, 2 + static_cast<std::size_t>(c)));
    // Written by this version only: a line that is not a code is left
    // alone, as older versions leave it, rather than failing the options.
    constexpr std::size_t kPauseLine = 6;
    int code = 0;
    if (lines.size() > kPauseLine && TryParseInt(lines[kPauseLine], code) && IsHotKeyCode(code))
        target.SetPauseHotKey(static_cast<HotKeyCode>(code));
    // Set only as this version writes it: anything else there is some other
    // version's, and the option stays off rather than failing the load.
    target.SetPauseFullScreenOption(lines.size() > kPauseFullScreenLine &&
                                    Line(lines, kPauseFullScreenLine) == Flag(true));
    if (!trayOnly) target.ShowMainWindow();
}

void ApplyWindowSizeFile(std::span<const std::uint8_t> bytes, SettingsTarget& target,
                         bool moveWindow) {
    const Lines lines = SplitLines(bytes);
    target.SetWindowWidth(IntegerLine(lines, 0));
    target.SetWindowHeight(IntegerLine(lines, 1));
    // Compared as text: "1" (minimized) and anything else leave the state.
    if (Line(lines, 2) == "2") target.MaximizeWindow();
    if (!moveWindow) return;
    int left = 0, top = 0;
    if (lines.size() < 5 || !TryParseInt(lines[4], top) || !TryParseInt(lines[3], left)) return;
    try {
        target.MoveWindowTo(left, top);
    } catch (...) {
        // The position is a nicety; a failure to apply it fails nothing.
    }
}

std::vector<std::uint8_t> EncodeSettingsFile(const SettingsValues& values) {
    std::vector<std::uint8_t> out;
    AddLine(out, Flag(values.autoStart));
    AddLine(out, Flag(values.trayOnly));
    for (int width : values.columnWidths)
        AddLine(out, std::to_string(width));
    AddLine(out, std::to_string(values.pauseHotKey));
    if (values.pauseFullScreen) AddLine(out, Flag(true));
    return out;
}

std::vector<std::uint8_t> EncodeWindowSizeFile(const WindowSizeValues& values) {
    std::vector<std::uint8_t> out;
    AddLine(out, std::to_string(values.width));
    AddLine(out, std::to_string(values.height));
    AddLine(out, std::to_string(static_cast<int>(values.state)));
    AddLine(out, std::to_string(values.left));
    AddLine(out, std::to_string(values.top));
    return out;
}

SettingsPaths SettingsPathsFor(std::u16string_view exePath) {
    return {SettingsPathFor(exePath), WindowSizePathFor(exePath)};
}

namespace {

// Pixels at dpi as the files keep them, at 96 dpi (rounded to nearest), the
// inverse of ScalePixels for every dpi from 96 up.
int UnscalePixels(int pixels, int dpi) {
    if (dpi <= 0 || dpi == kDesignDpi) return pixels;
    const long long scaled = static_cast<long long>(pixels) * kDesignDpi;
    const long long half = scaled >= 0 ? dpi / 2 : -(dpi / 2);
    return static_cast<int>(std::clamp<long long>(
        (scaled + half) / dpi, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The target as the files see it: every width and size in pixels at 96 dpi.
class AtDpi final : public SettingsTarget {
  public:
    AtDpi(SettingsTarget& target, int dpi) : target_(target), dpi_(dpi) {}
    void SetAutoStartOption(bool set) override { target_.SetAutoStartOption(set); }
    void SetTrayOnlyOption(bool set) override { target_.SetTrayOnlyOption(set); }
    void SetColumnWidth(int column, int width) override {
        target_.SetColumnWidth(column, ScalePixels(width, dpi_));
    }
    void SetPauseHotKey(HotKeyCode code) override { target_.SetPauseHotKey(code); }
    void SetPauseFullScreenOption(bool set) override { target_.SetPauseFullScreenOption(set); }
    void ShowMainWindow() override { target_.ShowMainWindow(); }
    void SetWindowWidth(int width) override { target_.SetWindowWidth(ScalePixels(width, dpi_)); }
    void SetWindowHeight(int height) override {
        target_.SetWindowHeight(ScalePixels(height, dpi_));
    }
    void MaximizeWindow() override { target_.MaximizeWindow(); }
    void MoveWindowTo(int left, int top) override { target_.MoveWindowTo(left, top); }

  private:
    SettingsTarget& target_;
    int dpi_;
};

} // namespace

SettingsValues DesignedSettings(int dpi) {
    SettingsValues values;
    for (int& width : values.columnWidths)
        width = ScalePixels(width, dpi);
    return values;
}

LoadSettingsOutcome LoadSettings(const SettingsPaths& paths, SettingsTarget& window, int dpi) {
    LoadSettingsOutcome outcome;
    AtDpi target(window, dpi);
    std::vector<std::uint8_t> bytes;
    if (ReadOptionFile(paths.settingsFile, bytes)) {
        ApplySettingsFile(bytes, target);
    } else {
        outcome.settingsFileMissing = true;
        const SettingsValues designed;
        target.SetAutoStartOption(designed.autoStart);
        target.SetTrayOnlyOption(designed.trayOnly);
        for (int c = 0; c < kStoredColumnCount; ++c)
            target.SetColumnWidth(c, designed.columnWidths[static_cast<std::size_t>(c)]);
        target.SetPauseFullScreenOption(designed.pauseFullScreen);
        target.ShowMainWindow();
    }
    if (ReadOptionFile(paths.windowSizeFile, bytes))
        ApplyWindowSizeFile(bytes, target);
    else
        outcome.windowSizeFileMissing = true;
    return outcome;
}

void RemoveLeftoverTempFiles(const SettingsPaths& paths) {
    keyvane::RemoveLeftoverTempFiles(paths.settingsFile);
    keyvane::RemoveLeftoverTempFiles(paths.windowSizeFile);
}

bool ReapplyWindowSize(const std::u16string& windowSizePath, SettingsTarget& window, int dpi) {
    std::vector<std::uint8_t> bytes;
    if (!ReadOptionFile(windowSizePath, bytes)) return false;
    AtDpi target(window, dpi);
    ApplyWindowSizeFile(bytes, target, false);
    return true;
}

SaveSettingsResult SaveSettings(const SettingsValues& shown, const WindowSizeValues& shownSize,
                                const SettingsPaths& paths, AutostartStore& autostart,
                                std::u16string_view exePath, int dpi) {
    SettingsValues settings = shown;
    for (int& width : settings.columnWidths)
        width = UnscalePixels(width, dpi);
    WindowSizeValues windowSize = shownSize;
    windowSize.width = UnscalePixels(windowSize.width, dpi);
    windowSize.height = UnscalePixels(windowSize.height, dpi);
    SaveSettingsResult result;
    result.runValueError =
        ErrorOf([&] { autostart.WriteRunValue(AutostartRunValue(settings.autoStart, exePath)); });
    if (!result.runValueError.empty())
        result.runValueError = "Cannot set the autostart value \"" + ToUtf8(kRunValueName) +
                               "\" under HKEY_CURRENT_USER\\" + ToUtf8(kRunKeyPath) + ". " +
                               result.runValueError;
    result.settingsFileError = ErrorOf([&] {
        WriteFileAtomically(paths.settingsFile, EncodeSettingsFile(settings), MissingFolder::Fail);
    });
    if (!result.settingsFileError.empty()) {
        // Both files live in one folder: what stopped the first stops the second.
        std::string& skipped = result.windowSizeFileError;
        skipped.append(1, '"')
            .append(ToUtf8(paths.windowSizeFile))
            .append("\" was not written either.");
        return result;
    }
    result.windowSizeFileError = ErrorOf([&] {
        WriteFileAtomically(paths.windowSizeFile, EncodeWindowSizeFile(windowSize),
                            MissingFolder::Fail);
    });
    return result;
}

std::u16string SaveSettingsReportText(const SaveSettingsResult& result) {
    if (result.AllKept()) return {};
    std::string text = "Not everything was saved.";
    for (const std::string* error :
         {&result.settingsFileError, &result.windowSizeFileError, &result.runValueError})
        if (!error->empty()) text += "\n\n" + *error;
    return FromUtf8(text);
}

} // namespace keyvane
