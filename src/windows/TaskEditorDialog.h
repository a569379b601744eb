// TForm2, the task editor dialog "Add task". Created once at start, hidden;
// its creation step loads the task list into the core's table, builds the
// task icons and runs the first registration pass. Shown modally by the
// main window's Add and Edit.
#pragma once

#include "app/AppCore.h"

#include <windows.h>

#include <optional>
#include <string>

namespace keyvane {

class TForm1;

class TForm2 {
  public:
    // Creates the hidden dialog from its template; FormCreate runs inside,
    // so the main window must exist already.
    TForm2(HINSTANCE instance, TForm1& form1, AppCore& core);
    ~TForm2();
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    HWND handle() const { return handle_; }

    // What Add and Edit put into the fields before ShowModal.
    void PresetForAdd();
    void PresetForEdit(const EditPreset& preset);
    // Edit without a row to read: the fields stay as they are, all written.
    void KeepFieldsForEdit();
    // Gives the hotkeys back while open (so the hotkey field gets the keys)
    // and registers them again when closed, by OK or by Close.
    void ShowModal();

    void FormCreate();
    void BitBtn3Click(); // "Browse"
    void BitBtn4Click(); // "OK"
    void BitBtn2Click(); // "Close"

    // The letter of the first CD-ROM drive, or empty.
    static std::u16string FirstCdDrive();

  private:
    template <class Owner> friend INT_PTR CALLBACK ForwardingDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    TaskFields ReadFields() const;
    void SetHotKeyField(std::uint16_t value);
    std::uint16_t HotKeyField() const;
    // The file dialog for a program; true and the path when confirmed.
    bool AskProgramFile(std::u16string& path);

    TForm1& form1_;
    AppCore& core_;
    HWND handle_ = nullptr;
    bool done_ = true;
    // OpenDialog1's file name: kept between uses, preset by Edit and Browse.
    std::u16string fileName_;
    // Edit's preset, to keep what the fields could not show.
    std::optional<EditPreset> preset_;
    int presetAction_ = -1;
    std::uint16_t presetHotKey_ = 0;
    int appendedRow_ = -1;
    std::u16string unreadableWarning_;
    static constexpr UINT kWarnMessage = WM_APP + 2;
};

} // namespace keyvane
