// The option files' life: applied at start (a damaged one told once per
// start and never written over), again at the window's first activation,
// the stored size again at a tray click, and saved at "Save", at exit and
// before the session ends. The main window applies what they hold and says
// what it shows; this decides when.
#pragma once

#include "app/options/Autostart.h"
#include "app/options/Settings.h"

#include <memory>
#include <string>

namespace keyvane {

// The main window as the option files see it.
class OptionsWindow : public SettingsTarget {
  public:
    // What a save keeps, in pixels at the window's dpi.
    virtual SettingsValues CurrentOptions() const = 0;
    virtual WindowSizeValues CurrentWindowSize() const = 0;
    virtual int Dpi() const = 0;
    // After a load: a window off every screen, or smaller than its controls
    // need, is brought back.
    virtual void KeepReachable() = 0;
};

class OptionFiles {
  public:
    OptionFiles(std::u16string exePath, std::unique_ptr<AutostartStore> autostart);

    // The start: leftovers of killed saves removed, both files applied and
    // written back (the autostart value follows the program's folder).
    // Returns the text the user must be told of a damaged file, or empty;
    // a damaged file is left as it is.
    std::u16string LoadAtStart(OptionsWindow& window);
    // The first activation applies the files again, the position too. A
    // damaged file is told once per start: thrown only when the start did
    // not tell it already.
    void LoadOnFirstActivation(OptionsWindow& window);
    // The tray's click: the stored size again, not the position.
    void ReapplyWindowSize(OptionsWindow& window);
    SaveSettingsResult Save(const OptionsWindow& window);

  private:
    std::u16string exePath_;
    SettingsPaths paths_;
    std::unique_ptr<AutostartStore> autostart_;
    bool reported_ = false;
    bool loadingAtStart_ = false;
};

} // namespace keyvane
