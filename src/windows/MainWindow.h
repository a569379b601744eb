// TForm1, the main window: the task grid and the options on two pages, the
// main menu, the tray icon and the exit routes. It is the application's
// main window: closing it ends the program. Its handlers read the controls,
// call the application core and show the result.
#pragma once

#include "app/AppCore.h"
#include "app/Settings.h"
#include "windows/TaskGrid.h"
#include "windows/TrayIcon.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace keyvane {

class TForm2;
class TForm3;

// 1 makes the editor's OK append a row; any other value makes it update the
// current row. Set by Add and Edit.
extern std::uint8_t AddMode;

class TForm1 final : private SettingsTarget {
  public:
    // Creates the hidden main window and runs FormCreate. Throws when the
    // window cannot be created.
    TForm1(HINSTANCE instance, AppCore& core);
    // Destroys the window, which runs FormDestroy.
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND handle() const { return handle_; }
    HWND pages() const { return pages_; }
    void SetOtherForms(TForm2* form2, TForm3* form3) {
        form2_ = form2;
        form3_ = form3;
    }

    // Closes the main window as WM_CLOSE and the tray's "Exit" do: asks
    // FormCloseQuery, runs FormClose, then ends the message loop. A failure
    // in FormClose (the save) is reported and the program keeps running, so
    // its tasks are not lost with it.
    void Close();

    // Keys the main window takes before the dialog manager: Ctrl+Tab and
    // Ctrl+Shift+Tab switch pages. True when it took the message.
    bool PreTranslateMessage(const MSG& msg);

    // The task icons and the grid after the table changed under them.
    void TaskIconsChanged();
    void DrawTaskIcons();
    void TasksChanged();

    // A second start of the program asks the running one to show itself
    // with this message; wParam carries the folder's key.
    static UINT ShowRunningInstanceMessage();
    void ShowFromSecondStart();

    // Event handlers.
    void FormCreate();
    void FormActivate();
    void FormDeactivate();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void Exit1Click();   // tray menu "Exit"
    void Exit2Click();   // main menu "File" > "Exit"
    void File1Click();   // tray menu "Show Main Window"
    void About1Click();  // main menu "About..."
    void About2Click();  // tray menu "About..."
    void BitBtn1Click(); // "Add"
    void BitBtn2Click(); // "Edit"
    void BitBtn3Click(); // "Delete"
    void BitBtn5Click(); // "Delete All"
    void BitBtn7Click(); // "Move down"
    void BitBtn8Click(); // "Move up"
    void BitBtn4Click(); // "Save" on the "Options" page
    void BitBtn6Click(); // "Import" on the "Options" page
    void NextGrid1Click();
    void NextGrid1CellDblClick();
    void TrayIconCallback(UINT mouseMessage);

    // Session end: the user logs off or the system shuts down.
    bool QueryEndSession();
    void EndSession(bool ending);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PagesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandlePagesMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Command(UINT id);
    void CreatePages();
    void ShowPage(int page);
    void LayOut();
    int Scaled(int pixels) const;
    void ShowWindowInFront();
    // When a modal window is open, exits must close it first.
    bool DeferExitForModal(UINT command);
    // The options, the column widths and the window's geometry: the files
    // are read and written by the portable settings code, the window only
    // applies and reports them.
    void LoadSettings();
    SaveSettingsResult SaveSettings();
    void KeepReachable();

    // How the settings files change the window (SettingsTarget).
    void SetAutoStartOption(bool set) override;
    void SetTrayOnlyOption(bool set) override;
    void SetColumnWidth(int column, int width) override;
    void ShowMainWindow() override;
    void SetWindowWidth(int width) override;
    void SetWindowHeight(int height) override;
    void MaximizeWindow() override;
    void MoveWindowTo(int left, int top) override;

    HINSTANCE instance_ = nullptr;
    HWND handle_ = nullptr;
    HWND pages_ = nullptr;
    AppCore& core_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TaskGrid grid_;
    TrayIcon tray_;
    HMENU popupMenu_ = nullptr;
    // The activation step runs only the first time the window gets the focus.
    bool activatedOnce_ = false;
    int page_ = 0;
    std::u16string exePath_;
    SettingsPaths settingsPaths_;
    std::unique_ptr<AutostartStore> autostart_;
    // A maximized state read while the window was hidden: applied when it
    // is shown, never showing it by itself.
    bool maximizeWhenShown_ = false;
    bool iconsPending_ = false;
    static constexpr UINT kDrawIconsMessage = WM_APP + 1;
};

// Ends the message loop; wWinMain then destroys the windows in reverse order.
void EndApplication();

} // namespace keyvane
