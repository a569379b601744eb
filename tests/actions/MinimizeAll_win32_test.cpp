// Which real top-level windows the minimize-all fallback would take. Nothing
// here minimizes anything.
#include "actions/MinimizeAll.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

namespace keyvane {
namespace {

// A visible top-level window of a plain class, destroyed with the object.
class TestWindow {
  public:
    TestWindow(DWORD exStyle, HWND owner = nullptr) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KeyvaneMinimizeAllTest";
        RegisterClassW(&wc); // fails harmlessly once registered
        window = CreateWindowExW(exStyle, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 100, 80, owner, nullptr, wc.hInstance, nullptr);
    }
    ~TestWindow() {
        if (window) DestroyWindow(window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND window = nullptr;
};

// Wine without a display cannot create windows, and the unit run may be
// headless: such a run skips these tests.
constexpr const char* kNoWindows = "no window can be created here (no display?)";

std::optional<DesktopWindow> Listed(DesktopWindows& windows, HWND window) {
    for (const DesktopWindow& w : windows.TopLevelWindows())
        if (w.id == reinterpret_cast<WindowId>(window)) return w;
    return std::nullopt;
}

TEST(SystemDesktopWindows, TaskbarEntryFollowsStylesAndOwner) {
    TestWindow plain(0);
    if (!plain.window) GTEST_SKIP() << kNoWindows;
    TestWindow tool(WS_EX_TOOLWINDOW);
    TestWindow owned(0, plain.window);
    ASSERT_TRUE(tool.window && owned.window);

    auto windows = MakeSystemDesktopWindows();
    struct Case {
        const char* what;
        HWND window;
        bool onTaskbar;
    } cases[] = {{"plain", plain.window, true},
                 {"tool", tool.window, false},
                 {"owned", owned.window, false}};
    for (const auto& c : cases) {
        auto w = Listed(*windows, c.window);
        ASSERT_TRUE(w) << c.what;
        EXPECT_TRUE(w->visible) << c.what;
        EXPECT_FALSE(w->minimized) << c.what;
        EXPECT_EQ(w->onTaskbar, c.onTaskbar) << c.what;
    }
}

TEST(SystemDesktopWindows, ShellWindowHasNoTaskbarEntry) {
    // A replacement shell's desktop is a plain visible window; minimizing it
    // would hide the desktop.
    using SetShellWindowFn = BOOL(WINAPI*)(HWND);
    auto setShellWindow = reinterpret_cast<SetShellWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
    // Only where no shell owns the desktop (Wine): a real one is left alone.
    if (!setShellWindow || GetShellWindow()) GTEST_SKIP() << "the shell window is taken";
    TestWindow desktop(0);
    if (!desktop.window) GTEST_SKIP() << kNoWindows;
    if (!setShellWindow(desktop.window) || GetShellWindow() != desktop.window)
        GTEST_SKIP() << "the shell window cannot be set here";

    auto w = Listed(*MakeSystemDesktopWindows(), desktop.window);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->visible);
    EXPECT_FALSE(w->onTaskbar);
}

} // namespace
} // namespace keyvane
