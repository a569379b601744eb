// The Windows half of the hotkey component against the real system: global
// registrations with their atoms, and the hidden window's message path.
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "hotkeys/HotKeyManager.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

namespace keyvane {
namespace {

// The portable constants are the system's values.
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModWin == MOD_WIN);
static_assert(kModNoRepeat == MOD_NOREPEAT);

// An unlikely combination, so no other program of the session holds it.
constexpr HotKeyCode kTestCode = kCtrlBit | kShiftBit | kAltBit | VK_F11;

ATOM FindRegistrationAtom(HotKeyCode code) {
    return GlobalFindAtomW(W(RegistrationAtomName(code)));
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TEST(SystemHotKeys, RegistrationHoldsTheKeysUntilTheManagerGoes) {
    auto first = std::make_unique<THotKeyManager>(MakeSystemHotKeys());
    const std::uint16_t id = first->AddRegistration(kTestCode);
    ASSERT_NE(id, 0);
    EXPECT_EQ(FindRegistrationAtom(kTestCode), id);

    // Another window is refused the pair, and gives its atom reference back.
    THotKeyManager second(MakeSystemHotKeys());
    EXPECT_EQ(second.AddRegistration(kTestCode), 0);
    EXPECT_EQ(FindRegistrationAtom(kTestCode), id);

    first.reset();
    EXPECT_EQ(FindRegistrationAtom(kTestCode), 0);
    EXPECT_NE(second.AddRegistration(kTestCode), 0);
    EXPECT_TRUE(second.ReleaseRegistration(kTestCode));
    EXPECT_EQ(FindRegistrationAtom(kTestCode), 0);
}

TEST(SystemHotKeys, HotKeyMessageReachesTheHandlerAndFailuresTheReport) {
    THotKeyManager manager(MakeSystemHotKeys());
    const std::uint16_t id = manager.AddRegistration(kTestCode);
    ASSERT_NE(id, 0);
    const HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"KeyvaneHotKeyWindow", nullptr);
    ASSERT_NE(window, nullptr);

    std::vector<std::pair<HotKeyCode, std::uint16_t>> pressed;
    manager.OnHotKeyPressed = [&](const HotKeyPress& press) {
        pressed.push_back({press.HotKey, press.Index});
        if (pressed.size() == 2) throw std::runtime_error("action failed");
    };
    std::vector<std::u16string> reports;
    const ErrorReportSink previous =
        SetErrorReportSink([&](std::u16string_view text) { reports.emplace_back(text); });
    const LPARAM keys = MAKELPARAM(MOD_CONTROL | MOD_SHIFT | MOD_ALT, VK_F11);
    PostMessageW(window, WM_HOTKEY, id, keys);
    PostMessageW(window, WM_HOTKEY, id, keys);
    PostMessageW(window, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL, VK_F11)); // not registered
    PostMessageW(window, WM_USER, id, keys);                              // not a hotkey
    PumpMessages();
    SetErrorReportSink(previous);

    const std::vector<std::pair<HotKeyCode, std::uint16_t>> expected = {{kTestCode, id},
                                                                        {kTestCode, id}};
    EXPECT_EQ(pressed, expected);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(u"action failed"), std::u16string::npos);
}

} // namespace
} // namespace keyvane
