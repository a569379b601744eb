// The Windows half of the hotkey component: the global hotkey service with
// the hidden window that receives WM_HOTKEY.
#include "hotkeys/HotKeyManager.h"

#include "base/ErrorReport.h"
#include "base/WinText.h"

#include <windows.h>

namespace keyvane {

namespace {

constexpr wchar_t kWindowClass[] = L"KeyvaneHotKeyWindow";

class WindowsHotKeys final : public HotKeySystem {
  public:
    WindowsHotKeys() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &WindowsHotKeys::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc); // fails harmlessly when a second component registers it again
        // A message-only window: never shown, never enumerated, still gets
        // the WM_HOTKEY the system posts for its registrations.
        window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, this);
    }

    ~WindowsHotKeys() override {
        // The manager is going away: its window's last messages go nowhere.
        manager_ = nullptr;
        if (window_) DestroyWindow(window_);
    }

    void Attach(THotKeyManager& manager) override { manager_ = &manager; }

    std::uint16_t AddGlobalAtom(const std::u16string& name) override {
        return GlobalAddAtomW(W(name));
    }
    void DeleteGlobalAtom(std::uint16_t atom) override { GlobalDeleteAtom(atom); }

    bool RegisterHotKey(std::uint16_t id, std::uint16_t flags, std::uint16_t key) override {
        return window_ && ::RegisterHotKey(window_, id, flags, key);
    }
    bool UnregisterHotKey(std::uint16_t id) override {
        return window_ && ::UnregisterHotKey(window_, id);
    }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<WindowsHotKeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_HOTKEY && self && self->manager_) {
            // The id is wParam; lParam's low word holds the MOD_ flags, its
            // high word the virtual key.
            const HotKeyCode code = MakeHotKeyCode(LOWORD(lParam), HIWORD(lParam));
            const auto id = static_cast<std::uint16_t>(wParam & 0xFFFF);
            // A failing action ends this press at the error report; the
            // next press is handled normally.
            Guarded([&] { self->manager_->Pressed(code, id); });
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    THotKeyManager* manager_ = nullptr;
};

} // namespace

std::unique_ptr<HotKeySystem> MakeSystemHotKeys() {
    return std::make_unique<WindowsHotKeys>();
}

} // namespace keyvane
