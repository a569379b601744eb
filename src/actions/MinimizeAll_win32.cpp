// The shell automation object behind minimize-all, and the top-level window
// calls of the fallback.
#include "actions/MinimizeAll.h"

#include "base/Errors.h"
#include "base/WinText.h"
#include "base/Text.h"

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <shldisp.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace keyvane {
namespace {

// The shell automation class and its dispatch interface.
constexpr CLSID kShellClass = {
    0x13709620, 0xc279, 0x11ce, {0xa4, 0x9e, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShellDispatchInterface = {
    0xd8f015c0, 0xc278, 0x11ce, {0xa4, 0x9e, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

std::string ComErrorText(const char* what, HRESULT hr) {
    const std::string text = SystemErrorText(static_cast<std::uint32_t>(hr));
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    std::string message = std::string(what) + " failed";
    if (!text.starts_with("Error ")) message += ": " + text;
    return message + " (" + code + ").";
}

// The class is not there, or its object has no dispatch interface.
bool MeansMissing(HRESULT hr) {
    return hr == REGDB_E_CLASSNOTREG || hr == CLASS_E_CLASSNOTAVAILABLE || hr == E_NOINTERFACE;
}

class ShellObject : public DesktopShell {
  public:
    ShellObject() = default;
    ShellObject(const ShellObject&) = delete;
    ShellObject& operator=(const ShellObject&) = delete;
    ~ShellObject() override {
        if (shell_) shell_->Release();
    }

    Outcome MinimizeAll() override {
        IShellDispatch* shell = Connect();
        return shell ? Judge("IShellDispatch::MinimizeAll", shell->MinimizeAll())
                     : Outcome::Unavailable;
    }

    Outcome UndoMinimizeAll() override {
        IShellDispatch* shell = Connect();
        return shell ? Judge("IShellDispatch::UndoMinimizeALL", shell->UndoMinimizeALL())
                     : Outcome::Unavailable;
    }

  private:
    static Outcome Judge(const char* what, HRESULT hr) {
        // Wine's shell answers E_NOTIMPL; the windows are then done by hand.
        if (hr == E_NOTIMPL) return Outcome::Unavailable;
        if (FAILED(hr)) throw std::runtime_error(ComErrorText(what, hr));
        return Outcome::Done;
    }

    // A running instance if one is registered, a new one otherwise; kept
    // until destruction. Null when the shell has no such object.
    IShellDispatch* Connect() {
        if (shell_) return shell_;
        IUnknown* instance = nullptr;
        HRESULT hr = ::GetActiveObject(kShellClass, nullptr, &instance);
        if (FAILED(hr) || !instance) {
            instance = nullptr;
            hr = ::CoCreateInstance(kShellClass, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(&instance));
            if (MeansMissing(hr)) return nullptr;
            if (FAILED(hr)) throw std::runtime_error(ComErrorText("Connecting to the shell", hr));
        }
        hr = instance->QueryInterface(kShellDispatchInterface, reinterpret_cast<void**>(&shell_));
        instance->Release();
        if (FAILED(hr)) {
            shell_ = nullptr;
            if (MeansMissing(hr)) return nullptr;
            throw std::runtime_error(ComErrorText("Connecting to the shell", hr));
        }
        return shell_;
    }

    IShellDispatch* shell_ = nullptr;
};

HWND AsWindow(WindowId id) {
    return reinterpret_cast<HWND>(id);
}

class SystemWindows : public DesktopWindows {
  public:
    std::vector<DesktopWindow> TopLevelWindows() override {
        struct Walk {
            std::vector<DesktopWindow> found;
            // The shell's own desktop window has no taskbar button, whatever
            // its styles say; minimizing it would hide the desktop.
            HWND shellWindow = ::GetShellWindow();
            // Nothing may unwind through the system's enumeration.
            std::exception_ptr failure;
        } walk;
        ::EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL {
                auto& walk = *reinterpret_cast<Walk*>(param);
                const LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
                DesktopWindow w;
                w.id = reinterpret_cast<WindowId>(hwnd);
                w.visible = ::IsWindowVisible(hwnd) != FALSE;
                w.minimized = ::IsIconic(hwnd) != FALSE;
                w.onTaskbar = hwnd != walk.shellWindow &&
                              HasTaskbarEntry((exStyle & WS_EX_TOOLWINDOW) != 0,
                                              (exStyle & WS_EX_APPWINDOW) != 0,
                                              ::GetWindow(hwnd, GW_OWNER) != nullptr);
                try {
                    walk.found.push_back(w);
                } catch (...) {
                    walk.failure = std::current_exception();
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&walk));
        if (walk.failure) std::rethrow_exception(walk.failure);
        return std::move(walk.found);
    }

    // Asynchronous, so a window whose program hangs cannot stop the press.
    void Minimize(WindowId window) override { ::ShowWindowAsync(AsWindow(window), SW_MINIMIZE); }

    bool IsMinimized(WindowId window) override {
        return ::IsWindow(AsWindow(window)) && ::IsIconic(AsWindow(window));
    }

    void Restore(WindowId window) override { ::ShowWindowAsync(AsWindow(window), SW_RESTORE); }
};

} // namespace

std::unique_ptr<DesktopWindows> MakeSystemDesktopWindows() {
    return std::make_unique<SystemWindows>();
}

std::unique_ptr<MinimizeAllToggle> MakeSystemMinimizeAll() {
    return std::make_unique<MinimizeAllToggle>(std::make_unique<ShellObject>(),
                                               MakeSystemDesktopWindows());
}

} // namespace keyvane
