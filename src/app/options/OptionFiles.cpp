#include "app/options/OptionFiles.h"

#include "base/Text.h"

namespace keyvane {

OptionFiles::OptionFiles(std::u16string exePath, std::unique_ptr<AutostartStore> autostart)
    : exePath_(std::move(exePath)), paths_(SettingsPathsFor(exePath_)),
      autostart_(std::move(autostart)) {}

std::u16string OptionFiles::LoadAtStart(OptionsWindow& window) {
    RemoveLeftoverTempFiles(paths_);
    // A load that shows the window activates it, which loads again: that
    // inner load must not tell what this one is about to.
    loadingAtStart_ = true;
    std::u16string report;
    try {
        LoadSettings(paths_, window, window.Dpi());
        window.KeepReachable();
        Save(window);
    } catch (const std::exception& e) {
        reported_ = true;
        report = FromUtf8(e.what());
    }
    loadingAtStart_ = false;
    return report;
}

void OptionFiles::LoadOnFirstActivation(OptionsWindow& window) {
    try {
        LoadSettings(paths_, window, window.Dpi());
        window.KeepReachable();
    } catch (...) {
        if (!reported_ && !loadingAtStart_) throw;
    }
}

void OptionFiles::ReapplyWindowSize(OptionsWindow& window) {
    keyvane::ReapplyWindowSize(paths_.windowSizeFile, window, window.Dpi());
    window.KeepReachable();
}

SaveSettingsResult OptionFiles::Save(const OptionsWindow& window) {
    return SaveSettings(window.CurrentOptions(), window.CurrentWindowSize(), paths_, *autostart_,
                        exePath_, window.Dpi());
}

} // namespace keyvane
