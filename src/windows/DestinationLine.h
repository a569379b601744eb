// The task editor's Destination line in its three forms, one shown at a time
// by the chosen action: a one-line box beside "Browse" (a program, a web
// address, a drive); for "Type text..." a multi-line box with the count of
// characters under it, which covers the unused "Type of run"; for "Send
// keys..." the one-line box of combinations with a field in "Type of run"'s
// place that captures a combination and adds it, and a line under the box
// that says why the keys cannot be read or a combination was not taken.
#pragma once

#include "hotkeys/HotKeyText.h"
#include "tasks/TaskVocabulary.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace keyvane {

class HotKeyField;

class DestinationLine {
  public:
    // dialog: the editor, holding the controls of keyvane.rc.
    DestinationLine(HWND dialog, const HotKeyNames& names);
    ~DestinationLine();
    DestinationLine(const DestinationLine&) = delete;
    DestinationLine& operator=(const DestinationLine&) = delete;

    // Shows the form of the action (none chosen: the one-line box). What the
    // user wrote goes along into the box shown.
    void Show(std::optional<Action> action);
    // The destination, decoded: line breaks as CR LF.
    std::u16string Text() const;
    void SetText(const std::u16string& text);
    // A WM_COMMAND of the dialog; true when it was one of the line's.
    bool OnCommand(WORD id, WORD code);
    // Before OK stores the row: false, with the reason under the box and the
    // focus on the keys field, when the keys cannot be read.
    bool ReadyForOk();
    // The editor closes: the keys field's hook goes.
    void StopCapture();

  private:
    enum class Form { Line, Text, Keys };
    static LRESULT CALLBACK TextBoxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    void OnKeyPressed(HotKeyCode code);
    void ShowCount();
    // The line under the box in the keys form: why the keys cannot be read
    // (evenEmpty: none at all); returns it. Cleared in the other forms.
    std::u16string ShowKeysNote(bool evenEmpty = false);

    HWND dialog_;
    const HotKeyNames& names_;
    Form form_ = Form::Line;
    std::unique_ptr<HotKeyField> keysField_;
};

} // namespace keyvane
