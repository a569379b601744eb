// The main window's contents: the page control with "HotKey View" (the task
// page, a window of its own) and "Options" (the two option boxes, the pause
// hotkey's field, the import and "Save"). Built the first time the window
// is shown, so a start in the tray makes none of it. The Options page's
// buttons reach the main window as WM_COMMAND with the button's id: the
// option files are the main window's.
#pragma once

#include "app/AppCore.h"
#include "app/layout/MainLayout.h"
#include "windows/HotKeyField.h"
#include "windows/TaskPage.h"

#include <windows.h>

#include <memory>

namespace keyvane {

class MainPages {
  public:
    // Creates the pages as a child of window, over the whole client area.
    // Throws when the controls cannot be made.
    MainPages(HINSTANCE instance, HWND window, AppCore& core);
    ~MainPages();
    MainPages(const MainPages&) = delete;
    MainPages& operator=(const MainPages&) = delete;

    HWND handle() const { return pages_; }
    TaskPage& tasks() { return *tasks_; }

    // The option boxes: "Auto start with Windows " and "Always start in
    // system tray only".
    bool Option(int id) const;
    void SetOption(int id, bool set);

    // The pause field shows the core's pause hotkey.
    void ShowPauseHotKey();
    // The core's notice, for the pause field and the task page.
    void CoreChanged(const CoreChange& change);
    // Where the keyboard goes when nothing else has it.
    void FocusDefault();

    // Places every control for the window's client size.
    void LayOut();
    // The least client size that shows every control whole, at the
    // window's dpi.
    ClientSize MinimumClientSize() const;
    // The window moved to a screen of another dpi: fonts, glyphs, the
    // grid's pictures, row height and columns at the new one, then the
    // layout.
    void DpiChanged(int oldDpi, int newDpi);
    // Ctrl+Tab and Ctrl+Shift+Tab switch pages, Ctrl+F goes to the search
    // box; the dialog manager does Tab,
    // the arrows and mnemonics. True when the message was taken.
    bool PreTranslateMessage(MSG& msg);

  private:
    static INT_PTR CALLBACK PagesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowPage(int page);
    // "Save", "Import" and the full-screen box call the core at once.
    void OnOptionsButton(UINT id);
    void SetUpControls();
    void SetGlyphs();
    int Scaled(int pixels) const;
    PageMeasures Measure(int clientWidth, int clientHeight, std::span<int> widths) const;

    HINSTANCE instance_;
    HWND window_;
    HWND pages_ = nullptr;
    AppCore& core_;
    std::unique_ptr<TaskPage> tasks_;
    int page_ = 0;
    // The pages' font after a dpi change (null: the dialog's own).
    HFONT font_ = nullptr;
    std::unique_ptr<HotKeyField> pauseField_;
};

} // namespace keyvane
