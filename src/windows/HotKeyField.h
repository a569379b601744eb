// The task editor's hotkey field: a read-only edit box that shows the
// combination the user pressed. While it has the keyboard focus a low-level
// keyboard hook takes every combination before the system does, the Win key
// and combinations other programs hold among them, and swallows it, so it
// reaches neither that program nor the shell (Win opens no Start menu).
// The hook goes when the field loses the focus. Tab, Enter and Escape alone
// keep their dialog meaning.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <windows.h>

#include <functional>

namespace keyvane {

class HotKeyField {
  public:
    // onPress: a combination was pressed (or set by HKM_SETHOTKEY, which the
    // field answers as the system's hotkey control does); the owner decides
    // whether to SetValue it.
    HotKeyField(HWND edit, const HotKeyNames& names, std::function<void(HotKeyCode)> onPress);
    ~HotKeyField();
    HotKeyField(const HotKeyField&) = delete;
    HotKeyField& operator=(const HotKeyField&) = delete;

    HotKeyCode value() const { return value_; }
    void SetValue(HotKeyCode code);
    // Removes the hook, if any (the editor closes).
    void StopCapture();

  private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void StartCapture();
    // A key pressed while the field has the focus: true when it is taken.
    bool TakeKey(unsigned key, bool extended, bool down);

    HWND edit_;
    const HotKeyNames& names_;
    std::function<void(HotKeyCode)> onPress_;
    HotKeyCode value_ = 0;
    HHOOK hook_ = nullptr;
    // The modifiers held, as the hook saw them go down (it swallows Alt and
    // Win, so the system's key state does not show them).
    HotKeyCode held_ = 0;
    bool swallowed_[256] = {}; // keys whose press was taken: their release is too
};

} // namespace keyvane
