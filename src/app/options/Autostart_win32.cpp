// The autostart value in the registry.
#include "app/options/Autostart.h"

#include "base/Errors.h"
#include "base/Text.h"
#include "base/WinText.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace keyvane {
namespace {

class RegistryAutostartStore final : public AutostartStore {
  public:
    RegistryAutostartStore(std::u16string keyPath, std::u16string valueName)
        : keyPath_(std::move(keyPath)), valueName_(std::move(valueName)) {}

    void WriteRunValue(std::u16string_view data) override {
        // The data with its terminating zero, as REG_SZ asks.
        const std::u16string text(data);
        const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
        if (bytes > std::numeric_limits<DWORD>::max())
            throw std::runtime_error("RegSetValueExW: the value is too long");
        HKEY key = nullptr;
        LSTATUS rc =
            RegCreateKeyExW(HKEY_CURRENT_USER, W(keyPath_), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr);
        // Registry calls return their error instead of setting GetLastError.
        if (rc != ERROR_SUCCESS)
            throw std::runtime_error("RegCreateKeyExW: " +
                                     SystemErrorText(static_cast<std::uint32_t>(rc)));
        rc = RegSetValueExW(key, W(valueName_), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(bytes));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            throw std::runtime_error("RegSetValueExW: " +
                                     SystemErrorText(static_cast<std::uint32_t>(rc)));
    }

  private:
    std::u16string keyPath_;
    std::u16string valueName_;
};

} // namespace

std::unique_ptr<AutostartStore> MakeRegistryAutostartStore(std::u16string keyPath,
                                                           std::u16string valueName) {
    return std::make_unique<RegistryAutostartStore>(std::move(keyPath), std::move(valueName));
}

} // namespace keyvane
