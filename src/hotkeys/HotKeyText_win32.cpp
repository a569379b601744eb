// The Windows half of the hotkey text: key names of the current keyboard
// layout, and what a key types on the layout the user types with.
#include "hotkeys/HotKeyText.h"

#include "base/WinText.h"

#include <windows.h>

#include <algorithm>

namespace keyvane {

namespace {

// ToUnicodeEx leaves the keyboard state alone (Windows 10 1607 and later).
constexpr UINT kKeepKeyboardState = 0x4;

// The layout of the window the user types into; this thread's when there is
// none (the layout may differ per thread).
HKL LayoutTypedWith() {
    const HWND foreground = GetForegroundWindow();
    return GetKeyboardLayout(foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0);
}

// What the key types under the layout, into buffer (8 units): the count, or
// 0. A dead key gives its spacing character. A system older than 1607
// ignores the flag and keeps the dead key waiting for the user's next key;
// the same key once more clears it (and changes nothing where it works).
int TypeKey(UINT key, UINT scanCode, const BYTE* state, wchar_t* buffer, HKL layout) {
    int length = ToUnicodeEx(key, scanCode, state, buffer, 8, kKeepKeyboardState, layout);
    if (length < 0) {
        wchar_t spare[8] = {};
        ToUnicodeEx(key, scanCode, state, spare, 8, kKeepKeyboardState, layout);
        length = buffer[0] != 0 ? 1 : 0;
    }
    return length;
}

class WindowsKeyNames final : public KeyNameSource {
  public:
    std::u16string KeyName(std::uint8_t key, bool extended) const override {
        // MAPVK_VK_TO_VSC_EX keeps an extended code's prefix, which IsExtendedKey
        // reads; GetKeyNameTextW takes the low byte and the extended flag.
        // Pause's E1 code (E1 1D 45) is named by its plain code 45.
        UINT scanCode = MapVirtualKeyW(key, MAPVK_VK_TO_VSC_EX);
        if ((scanCode >> 8) == 0xE1) scanCode = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        const LONG param =
            static_cast<LONG>(((scanCode & 0xFF) << 16) | (extended ? 0x01000000u : 0u));
        if (param == 0) return {};
        // Wide, so layouts with non-Latin key names keep them.
        wchar_t buffer[256] = {};
        const int length = GetKeyNameTextW(param, buffer, 256);
        if (length <= 0) return {};
        return FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length)));
    }

    bool IsExtendedKey(std::uint8_t key) const override {
        // Wine 8 reports the prefix for the right Ctrl and Alt only.
        return (MapVirtualKeyW(key, MAPVK_VK_TO_VSC_EX) >> 8) == 0xE0;
    }

    std::u16string TypedText(std::uint8_t key, std::uint16_t flags) const override {
        const HKL layout = LayoutTypedWith();
        BYTE state[256] = {};
        const auto down = [&state](int a, int b) { state[a] = state[b] = 0x80; };
        if (flags & kModShift) down(VK_SHIFT, VK_LSHIFT);
        // AltGr is the right Alt, with the left Ctrl the system adds to it.
        if (flags & kModControl) down(VK_CONTROL, VK_LCONTROL);
        if (flags & kModAlt) down(VK_MENU, VK_RMENU);
        const UINT scanCode = MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout);
        wchar_t buffer[8] = {};
        const int length = TypeKey(key, scanCode, state, buffer, layout);
        if (length <= 0) return {};
        return FromWide(std::wstring_view(buffer, static_cast<std::size_t>(std::min(length, 8))));
    }

    std::uintptr_t LayoutId() const override {
        return reinterpret_cast<std::uintptr_t>(GetKeyboardLayout(0));
    }

    std::vector<std::uintptr_t> InstalledLayouts() const override {
        // The list may change between the two calls; the second says how
        // many it wrote.
        std::vector<HKL> list(
            static_cast<std::size_t>(std::max(GetKeyboardLayoutList(0, nullptr), 0)));
        const int count =
            list.empty() ? 0 : GetKeyboardLayoutList(static_cast<int>(list.size()), list.data());
        std::vector<std::uintptr_t> layouts = {LayoutId()};
        for (int i = 0; i < count; ++i) {
            const auto layout = reinterpret_cast<std::uintptr_t>(list[static_cast<std::size_t>(i)]);
            if (std::find(layouts.begin(), layouts.end(), layout) == layouts.end())
                layouts.push_back(layout);
        }
        return layouts;
    }

    std::u16string CharacterKeyName(std::uint8_t key, std::uintptr_t layoutId) const override {
        // GetKeyNameTextW names keys of the thread's own layout only; a
        // character key's name is what it types, so ask the other layout
        // what that is, with no key held.
        const auto layout = reinterpret_cast<HKL>(layoutId);
        const UINT scanCode = MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout);
        if (scanCode == 0) return {};
        const BYTE state[256] = {};
        wchar_t buffer[8] = {};
        const int length = TypeKey(key, scanCode, state, buffer, layout);
        if (length != 1 || buffer[0] <= L' ') return {};
        CharUpperBuffW(buffer, 1);
        return FromWide(std::wstring_view(buffer, 1));
    }
};

} // namespace

const KeyNameSource& SystemKeyNames() {
    static const WindowsKeyNames names;
    return names;
}

} // namespace keyvane
