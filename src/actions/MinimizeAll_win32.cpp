// The shell automation object behind minimize-all, and the top-level window
// calls of the fallback.
#include "actions/MinimizeAll.h"

#include "base/SystemLibrary.h"

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <shldisp.h>

#include <cstdint>
#include <exception>

namespace keyvane {
namespace {

// The shell automation class and its dispatch interface.
constexpr CLSID kShellClass = {
    0x13709620, 0xc279, 0x11ce, {0xa4, 0x9e, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr IID kShellDispatchInterface = {
    0xd8f015c0, 0xc278, 0x11ce, {0xa4, 0x9e, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// The portable judgement names these codes by value.
static_assert(static_cast<std::uint32_t>(E_NOTIMPL) == 0x80004001 &&
              static_cast<std::uint32_t>(E_NOINTERFACE) == 0x80004002 &&
              static_cast<std::uint32_t>(CLASS_E_CLASSNOTAVAILABLE) == 0x80040111 &&
              static_cast<std::uint32_t>(REGDB_E_CLASSNOTREG) == 0x80040154);

ShellResult Answer(HRESULT hr, const char* call) {
    return {static_cast<std::uint32_t>(hr), call};
}

constexpr const char* kConnecting = "Connecting to the shell";

class ShellObject : public DesktopShell {
  public:
    ShellObject() = default;
    ShellObject(const ShellObject&) = delete;
    ShellObject& operator=(const ShellObject&) = delete;
    ~ShellObject() override {
        if (shell_) shell_->Release();
    }

    ShellResult MinimizeAll() override {
        const HRESULT hr = Connect();
        if (FAILED(hr)) return Answer(hr, kConnecting);
        return Answer(shell_->MinimizeAll(), "IShellDispatch::MinimizeAll");
    }

    ShellResult UndoMinimizeAll() override {
        const HRESULT hr = Connect();
        if (FAILED(hr)) return Answer(hr, kConnecting);
        return Answer(shell_->UndoMinimizeALL(), "IShellDispatch::UndoMinimizeALL");
    }

  private:
    // A running instance if one is registered, a new one otherwise; kept
    // until destruction.
    HRESULT Connect() {
        if (shell_) return S_OK;
        // Loaded here, not at start: a tray-only start needs neither DLL.
        static auto* const getActive =
            SystemFunction<decltype(::GetActiveObject)>(L"oleaut32.dll", "GetActiveObject");
        static auto* const create =
            SystemFunction<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
        // Without ole32 there is no shell object: the direct fallback acts.
        if (!create) return E_NOTIMPL;
        EnterComApartment();
        IUnknown* instance = nullptr;
        HRESULT hr = getActive ? getActive(kShellClass, nullptr, &instance) : E_NOTIMPL;
        if (FAILED(hr) || !instance) {
            instance = nullptr;
            hr = create(kShellClass, nullptr, CLSCTX_SERVER, IID_IUnknown,
                        reinterpret_cast<void**>(&instance));
            if (FAILED(hr)) return hr;
            if (!instance) return E_POINTER;
        }
        hr = instance->QueryInterface(kShellDispatchInterface, reinterpret_cast<void**>(&shell_));
        instance->Release();
        if (FAILED(hr) || !shell_) {
            shell_ = nullptr;
            return FAILED(hr) ? hr : E_NOINTERFACE;
        }
        return S_OK;
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
