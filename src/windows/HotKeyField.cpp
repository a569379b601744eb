#include "windows/HotKeyField.h"

#include "base/WinText.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

namespace keyvane {
namespace {

// The field whose hook is installed; one at a time, as one window has the focus.
HotKeyField* gCapturing = nullptr;

// Posted by the hook to the field: the hook itself must return at once, or
// the system drops it.
constexpr UINT kPressedMessage = WM_APP + 20;

HotKeyCode ModifierBit(unsigned key) {
    switch (key) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return kShiftBit;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return kCtrlBit;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return kAltBit;
    case VK_LWIN:
    case VK_RWIN:
        return kWinBit;
    default:
        return 0;
    }
}

HotKeyCode HeldNow() {
    HotKeyCode held = 0;
    for (unsigned key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) held |= ModifierBit(key);
    return held;
}

} // namespace

HotKeyField::HotKeyField(HWND edit, const HotKeyNames& names,
                         std::function<void(HotKeyCode)> onPress)
    : edit_(edit), names_(names), onPress_(std::move(onPress)) {
    SetWindowSubclass(edit_, &HotKeyField::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetValue(0);
}

HotKeyField::~HotKeyField() {
    StopCapture();
    RemoveWindowSubclass(edit_, &HotKeyField::SubclassProc, 0);
}

void HotKeyField::SetValue(HotKeyCode code) {
    value_ = code;
    const std::u16string text = code == 0 ? u"None" : HotKeyCodeToText(names_, code);
    SetWindowTextW(edit_, W(text));
}

void HotKeyField::StartCapture() {
    StopCapture();
    held_ = HeldNow();
    std::fill(std::begin(swallowed_), std::end(swallowed_), false);
    gCapturing = this;
    // Without the hook the field still takes the keys that reach it.
    hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &HotKeyField::HookProc, GetModuleHandleW(nullptr), 0);
}

void HotKeyField::StopCapture() {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (gCapturing == this) gCapturing = nullptr;
}

bool HotKeyField::TakeKey(unsigned key, bool extended, bool down) {
    key &= 0xFF;
    if (const HotKeyCode bit = ModifierBit(key)) {
        held_ = down ? held_ | bit : held_ & ~bit;
        // Shift and Ctrl pass, so Shift+Tab still moves back; Alt would open
        // the menu and Win the Start menu.
        return bit == kAltBit || bit == kWinBit;
    }
    if (!down) {
        const bool taken = swallowed_[key];
        swallowed_[key] = false;
        return taken;
    }
    // Tab, Enter and Escape alone move on, confirm and close, as in any field.
    const bool alone = (held_ & (kCtrlBit | kAltBit | kWinBit)) == 0;
    if (alone && (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE)) return false;
    // Characters typed by input methods and SendInput's text are not keys.
    if (key == VK_PACKET || key == VK_PROCESSKEY || key == 0) return false;
    // The control's flags: the extended flag tells the keypad's twins apart.
    unsigned flags = extended ? kHotKeyfExt : 0;
    if (held_ & kShiftBit) flags |= kHotKeyfShift;
    if (held_ & kCtrlBit) flags |= kHotKeyfControl;
    if (held_ & kAltBit) flags |= kHotKeyfAlt;
    const HotKeyCode code =
        HotKeyFieldFromControl(static_cast<std::uint16_t>(flags << 8 | key)) | (held_ & kWinBit);
    swallowed_[key] = true;
    PostMessageW(edit_, kPressedMessage, code, 0);
    return true;
}

LRESULT CALLBACK HotKeyField::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    HotKeyField* field = gCapturing;
    if (code == HC_ACTION && field && GetFocus() == field->edit_) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (field->TakeKey(info->vkCode, (info->flags & LLKHF_EXTENDED) != 0, down)) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HotKeyField::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    (void)window;
    return reinterpret_cast<HotKeyField*>(self)->HandleMessage(message, wParam, lParam);
}

LRESULT HotKeyField::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        StartCapture();
        break;
    case WM_KILLFOCUS:
    case WM_DESTROY:
        StopCapture();
        break;
    case kPressedMessage:
        if (onPress_) onPress_(static_cast<HotKeyCode>(wParam));
        return 0;
    case HKM_SETHOTKEY:
        if (onPress_) onPress_(HotKeyFieldFromControl(static_cast<std::uint16_t>(wParam)));
        return 0;
    case HKM_GETHOTKEY:
        return HotKeyControlFromField(static_cast<std::uint16_t>(value_ & 0xFFFF));
    case WM_GETDLGCODE:
        // The arrows and characters are hotkeys here, not the dialog's moves.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Only without the hook (it could not be set): the keys that reach
        // the field. The Win key and held combinations never do.
        if (!hook_) {
            held_ = HeldNow();
            TakeKey(static_cast<unsigned>(wParam), (lParam & (1 << 24)) != 0, true);
        }
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CONTEXTMENU:
    case WM_PASTE:
        return 0;
    default:
        break;
    }
    return DefSubclassProc(edit_, message, wParam, lParam);
}

} // namespace keyvane
