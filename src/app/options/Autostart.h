// The autostart value: "Keyvane" under the current user's Run key, which
// makes the system start the program at log-on. It is written on every save
// of the settings and never deleted: a cleared option writes an empty
// string, which starts nothing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace keyvane {

inline constexpr std::u16string_view kRunKeyPath =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::u16string_view kRunValueName = u"Keyvane";

// Where the value goes. Windows: the registry (Autostart_win32.cpp); tests
// keep it in memory.
class AutostartStore {
  public:
    virtual ~AutostartStore() = default;
    // Sets the value to data (REG_SZ). Throws std::runtime_error naming the
    // failed call and the system's reason.
    virtual void WriteRunValue(std::u16string_view data) = 0;
};

// The value's data: the executable's path while the option is set, quoted
// when it holds a blank (unquoted, "C:\Program Files\Keyvane\keyvane.exe"
// would let a C:\Program.exe start at every log-on); empty when cleared.
std::u16string AutostartRunValue(bool autoStart, std::u16string_view exePath);

// A string value under HKEY_CURRENT_USER\keyPath, created with its key when
// missing. The program uses kRunKeyPath and kRunValueName; the tests their
// own names. Windows only.
std::unique_ptr<AutostartStore>
MakeRegistryAutostartStore(std::u16string keyPath = std::u16string(kRunKeyPath),
                           std::u16string valueName = std::u16string(kRunValueName));

} // namespace keyvane
