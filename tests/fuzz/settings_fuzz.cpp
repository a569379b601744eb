// Any bytes must load as either file without a crash or a sanitizer report,
// failing only with the user's error texts, and what a load applied must be
// written and read back to the same values.
#include "app/options/Settings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class Window : public keyvane::SettingsTarget {
  public:
    void SetAutoStartOption(bool set) override { settings.autoStart = set; }
    void SetTrayOnlyOption(bool set) override { settings.trayOnly = set; }
    void SetColumnWidth(int column, int width) override {
        if (column < 0 || column >= keyvane::kStoredColumnCount) std::abort();
        settings.columnWidths[static_cast<std::size_t>(column)] = width;
    }
    void SetPauseHotKey(keyvane::HotKeyCode code) override { settings.pauseHotKey = code; }
    void SetPauseFullScreenOption(bool set) override { settings.pauseFullScreen = set; }
    void ShowMainWindow() override { shown = true; }
    void SetWindowWidth(int width) override { size.width = width; }
    void SetWindowHeight(int height) override { size.height = height; }
    void MaximizeWindow() override { size.state = keyvane::WindowState::Maximized; }
    void MoveWindowTo(int left, int top) override {
        size.left = left;
        size.top = top;
    }

    keyvane::SettingsValues settings;
    keyvane::WindowSizeValues size;
    bool shown = false;
};

bool KnownError(std::string_view message) {
    return message.starts_with("List index out of bounds (") ||
           message.ends_with("' is not a valid boolean value") ||
           message.ends_with("' is not a valid integer value");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    Window first;
    try {
        keyvane::ApplySettingsFile(bytes, first);
        Window second;
        keyvane::ApplySettingsFile(keyvane::EncodeSettingsFile(first.settings), second);
        if (keyvane::EncodeSettingsFile(second.settings) !=
                keyvane::EncodeSettingsFile(first.settings) ||
            second.shown != first.shown)
            std::abort();
    } catch (const keyvane::SettingsError& e) {
        if (!KnownError(e.what())) std::abort();
    }

    Window sized;
    try {
        keyvane::ApplyWindowSizeFile(bytes, sized);
        Window again;
        keyvane::ApplyWindowSizeFile(keyvane::EncodeWindowSizeFile(sized.size), again);
        if (keyvane::EncodeWindowSizeFile(again.size) != keyvane::EncodeWindowSizeFile(sized.size))
            std::abort();
    } catch (const keyvane::SettingsError& e) {
        if (!KnownError(e.what())) std::abort();
    }
    return 0;
}
