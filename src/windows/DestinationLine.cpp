#include "windows/DestinationLine.h"

#include "windows/DialogHost.h"

#include "app/DestinationView.h"
#include "app/TaskEditor.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "hotkeys/KeySequence.h"
#include "windows/HotKeyField.h"
#include "windows/resource.h"

#include <commctrl.h>

namespace keyvane {
namespace {

bool CtrlHeld() {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

} // namespace

DestinationLine::DestinationLine(HWND dialog, const HotKeyNames& names)
    : dialog_(dialog), names_(names) {
    // A long text is whole: the box's own limit would cut the typing at
    // 32,767 characters. Named, not 0, whose meaning for a multi-line box
    // the documentation gives as -1 in one place and 1 in another.
    SendMessageW(Item(IDC_EDITOR_TEXT), EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SetWindowSubclass(Item(IDC_EDITOR_TEXT), &DestinationLine::TextBoxProc, 0,
                      reinterpret_cast<DWORD_PTR>(dialog_));
    keysField_ =
        std::make_unique<HotKeyField>(Item(IDC_EDITOR_KEYS), names_, [this](HotKeyCode code) {
            Guarded([&] { OnKeyPressed(code); });
        });
    ShowCount();
}

DestinationLine::~DestinationLine() {
    keysField_.reset();
    RemoveWindowSubclass(Item(IDC_EDITOR_TEXT), &DestinationLine::TextBoxProc, 0);
}

LRESULT CALLBACK DestinationLine::TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR dialog) {
    switch (message) {
    case WM_KEYDOWN:
        // Enter makes a new line (ES_WANTRETURN); Ctrl+Enter is OK, as in a
        // dialog's other boxes Enter is.
        if (wParam == VK_RETURN && CtrlHeld()) {
            const HWND ok = GetDlgItem(reinterpret_cast<HWND>(dialog), IDOK);
            if (IsWindowEnabled(ok))
                PostMessageW(reinterpret_cast<HWND>(dialog), WM_COMMAND,
                             MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
            return 0;
        }
        // Tab leaves the box as it leaves every field; Ctrl+Tab, which the
        // layouts give no character, types a tab.
        if (wParam == VK_TAB) {
            if (CtrlHeld())
                SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
            else
                SendMessageW(reinterpret_cast<HWND>(dialog), WM_NEXTDLGCTL,
                             (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, FALSE);
            return 0;
        }
        break;
    case WM_CHAR:
        // Ctrl+Enter's character is a line feed: the press was OK's. The Tab
        // key's character was handled with its press; a tab typed otherwise
        // (pasted keys, Unicode input) is taken.
        if (wParam == L'\n' && CtrlHeld()) return 0;
        if (wParam == L'\t' && (GetKeyState(VK_TAB) & 0x8000)) return 0;
        break;
    case WM_GETDLGCODE:
        // Every key comes here, Tab and Enter included; the box decides.
        return DefSubclassProc(box, message, wParam, lParam) | DLGC_WANTALLKEYS;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

void DestinationLine::Show(std::optional<Action> action) {
    const Form form = action == Action::TypeText   ? Form::Text
                      : action == Action::SendKeys ? Form::Keys
                                                   : Form::Line;
    if ((form == Form::Text) != (form_ == Form::Text)) {
        // The user's words go along into the box now shown.
        const std::u16string text = Text();
        form_ = form;
        SetText(text);
    }
    form_ = form;
    const bool text = form == Form::Text, keys = form == Form::Keys;
    const std::pair<int, bool> shown[] = {{IDC_EDITOR_DESTINATION, !text},
                                          {IDC_EDITOR_BROWSE, !text},
                                          {IDC_EDITOR_DESTINATION_NOTE, !text},
                                          {IDC_EDITOR_TEXT, text},
                                          {IDC_EDITOR_TEXT_COUNT, text},
                                          {IDC_EDITOR_RUN_TYPE_LABEL, !text && !keys},
                                          {IDC_EDITOR_RUN_TYPE, !text && !keys},
                                          {IDC_EDITOR_KEYS_LABEL, keys},
                                          {IDC_EDITOR_KEYS, keys}};
    for (const auto& [id, visible] : shown)
        ShowWindow(Item(id), visible ? SW_SHOWNA : SW_HIDE);
    ShowKeysNote();
}

std::u16string DestinationLine::Text() const {
    if (form_ == Form::Text) return WindowText(Item(IDC_EDITOR_TEXT));
    return WindowText(Item(IDC_EDITOR_DESTINATION));
}

void DestinationLine::SetText(const std::u16string& text) {
    // Both boxes hold it: the one shown is read, and a change of action
    // carries the shown one's words over.
    SetWindowTextW(Item(IDC_EDITOR_TEXT), W(text));
    SetWindowTextW(Item(IDC_EDITOR_DESTINATION), W(text));
    keysField_->SetValue(0);
    ShowCount();
    ShowKeysNote();
}

bool DestinationLine::OnCommand(WORD id, WORD code) {
    if (id == IDC_EDITOR_TEXT) {
        if (code == EN_CHANGE) ShowCount();
        return true;
    }
    if (id == IDC_EDITOR_DESTINATION) {
        if (code == EN_CHANGE) ShowKeysNote();
        return true;
    }
    return id == IDC_EDITOR_KEYS;
}

void DestinationLine::ShowCount() {
    SetWindowTextW(Item(IDC_EDITOR_TEXT_COUNT),
                   W(CharacterCountText(WindowText(Item(IDC_EDITOR_TEXT)))));
}

std::u16string DestinationLine::ShowKeysNote(bool evenEmpty) {
    std::u16string note;
    TaskFields fields;
    fields.action = Action::SendKeys;
    fields.destination = Text();
    // No keys yet is not worth a word until OK.
    if (form_ == Form::Keys && (evenEmpty || !fields.destination.empty()))
        note = DestinationFieldError(names_, fields);
    SetWindowTextW(Item(IDC_EDITOR_DESTINATION_NOTE), W(note));
    return note;
}

void DestinationLine::OnKeyPressed(HotKeyCode code) {
    const KeysFieldPress press = AddPressedKey(names_, Text(), code);
    if (press.refused) {
        SetWindowTextW(Item(IDC_EDITOR_DESTINATION_NOTE), W(press.text));
        return;
    }
    keysField_->SetValue(code);
    // EN_CHANGE then clears the line under the box.
    SetWindowTextW(Item(IDC_EDITOR_DESTINATION), W(press.destination));
}

bool DestinationLine::ReadyForOk() {
    if (ShowKeysNote(true).empty()) return true;
    SetFocus(Item(IDC_EDITOR_KEYS));
    return false;
}

void DestinationLine::StopCapture() {
    keysField_->StopCapture();
}

} // namespace keyvane
