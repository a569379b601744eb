// The Windows half of the hotkey text: key names of the current keyboard
// layout.
#include "hotkeys/HotKeyText.h"

#include "base/WinText.h"

#include <windows.h>

namespace keyvane {

namespace {

class WindowsKeyNames final : public KeyNameSource {
  public:
    std::u16string KeyName(std::uint8_t key, bool extended) const override {
        const UINT scanCode = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        const LONG param = static_cast<LONG>((scanCode << 16) | (extended ? 0x01000000u : 0u));
        if (param == 0) return {};
        // Wide, so layouts with non-Latin key names keep them.
        wchar_t buffer[256] = {};
        const int length = GetKeyNameTextW(param, buffer, 256);
        if (length <= 0) return {};
        return FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length)));
    }

    std::uintptr_t LayoutId() const override {
        return reinterpret_cast<std::uintptr_t>(GetKeyboardLayout(0));
    }
};

} // namespace

const KeyNameSource& SystemKeyNames() {
    static const WindowsKeyNames names;
    return names;
}

} // namespace keyvane
