// The task editor's hotkey field: a read-only edit box that shows the
// combination the user pressed. While it has the keyboard focus a low-level
// keyboard hook is set; while its window is also the foreground window the
// hook takes every combination before the system does, the Win key
// and combinations other programs hold among them, and swallows it, so it
// reaches neither that program nor the shell (Win opens no Start menu). The
// rules are HotKeyCapture's; this file only hooks, forwards and sends.
//
// The hook runs on a thread of its own that does nothing else: Windows
// removes a low-level hook whose callback is late (LowLevelHooksTimeout),
// and the window thread blocks in the editor's save. Should the hook be
// removed all the same, the keys reach the field, which then takes them
// from its own key messages. The hook goes when the field loses the focus,
// as it does when its window is deactivated.
//
// A combination Windows needs (Alt+F4 ...) and one of ownShortcuts reach the
// system and the window as if the field were not there: Alt+F4 closes the
// window as everywhere.
#pragma once

#include "hotkeys/HotKeyCapture.h"
#include "hotkeys/HotKeyText.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

namespace keyvane {

class HotKeyField {
  public:
    // onPress: a combination was pressed (or set by HKM_SETHOTKEY, which the
    // field answers as the system's hotkey control does); the owner decides
    // whether to SetValue it.
    HotKeyField(HWND edit, const HotKeyNames& names, std::function<void(HotKeyCode)> onPress,
                std::vector<HotKeyCode> ownShortcuts = {});
    ~HotKeyField();
    HotKeyField(const HotKeyField&) = delete;
    HotKeyField& operator=(const HotKeyField&) = delete;

    HotKeyCode value() const { return value_; }
    void SetValue(HotKeyCode code);
    // Removes the hook, if any (the editor closes).
    void StopCapture();

  private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void StartCapture();
    // A key message that reached the field itself.
    void TakeOwnKey(UINT message, WPARAM wParam, LPARAM lParam);
    // The key message (or Alt+character) belongs to a combination that is
    // not the field's, held as the window's thread sees the modifiers.
    bool PassedOn(UINT message, WPARAM wParam) const;

    HWND edit_;
    const HotKeyNames& names_;
    std::function<void(HotKeyCode)> onPress_;
    std::vector<HotKeyCode> ownShortcuts_;
    HotKeyCode value_ = 0;
    HANDLE hookThread_ = nullptr;
    DWORD hookThreadId_ = 0;
    DWORD hookedAt_ = 0; // GetTickCount when the hook was set
    // Without the hook: the capture fed by the field's own key messages.
    std::optional<HotKeyCapture> own_;
};

} // namespace keyvane
