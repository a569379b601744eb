// The task editor dialog "Add task": made the first time Add or Edit is
// used, then kept hidden between uses. Run shows it modally for one edit of
// the core: the hotkeys are given back while it is open, so its hotkey field
// receives the keys, and registered again when it closes.
#pragma once

#include "app/AppCore.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace keyvane {

class DestinationLine;
class HotKeyField;

class TaskEditorDialog {
  public:
    // owner: the main window, disabled while the editor is open. Throws when
    // the dialog cannot be made.
    TaskEditorDialog(HINSTANCE instance, HWND owner, AppCore& core);
    ~TaskEditorDialog();
    TaskEditorDialog(const TaskEditorDialog&) = delete;
    TaskEditorDialog& operator=(const TaskEditorDialog&) = delete;

    // Add (adding) or Edit of the current row; returns when the editor closes.
    // filled: an Add whose fields are given (a dropped file).
    void Run(bool adding, const TaskFields* filled = nullptr);

  private:
    template <class Owner> friend INT_PTR CALLBACK ForwardingDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetUpControls();
    void SetGlyphs();
    void CentreOnOwner();
    void PresetForAdd();
    void PresetForEdit(const EditPreset& preset);
    TaskFields ReadFields() const;
    void SetHotKeyField(HotKeyCode value);
    HotKeyCode HotKeyFieldValue() const;
    // A combination pressed in the hotkey field: taken unless the core
    // refuses it; the line under the field says why, or what to know of it.
    void OnHotKeyPressed(HotKeyCode code);
    // The line under the hotkey field for what the field holds: another
    // program holding it, the character it takes from AltGr on the layout in
    // use, the other tasks with it.
    void ShowHotKeyWarning();
    int ActionField() const;
    // The file dialog for a program; true and the path when confirmed.
    bool AskProgramFile(std::u16string& path);
    std::u16string FirstCdDrive() const;

    void OnBrowse();
    // The "Programs:" line: its box and buttons only for some programs; a
    // name from a program file or from the programs running now is added to
    // the box.
    void EnableProgramsLine();
    // Greys the fields the chosen action does not use.
    void EnableActionFields();
    void AddProgramName(std::u16string_view name);
    void OnBrowsePrograms();
    void OnRunningPrograms();
    void OnOk();
    void OnClose(); // "Close", Escape and the title bar's close

    HWND owner_;
    AppCore& core_;
    HWND handle_ = nullptr;
    bool done_ = true;
    // The file dialog's last name: kept between uses, preset by Edit and Browse.
    std::u16string fileName_;
    std::unique_ptr<HotKeyField> hotKeyField_;
    std::unique_ptr<DestinationLine> destination_;
};

} // namespace keyvane
