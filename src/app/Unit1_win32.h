// TForm1, the main window (Windows side). It owns the task table and, in
// time, the option check boxes, the tray icon and the grid. It is the
// application's main window: closing it ends the program.
#pragma once

#include "app/AppCore.h"

#include <windows.h>

#include <string>

namespace keyvane {

class TForm1 {
  public:
    // Creates the hidden main window and runs FormCreate. Throws when the
    // window cannot be created.
    TForm1(HINSTANCE instance, AppCore& core);
    // Destroys the window, which runs FormDestroy.
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND handle() const { return handle_; }

    // Closes the main window as WM_CLOSE and the tray's "Exit" do: asks
    // FormCloseQuery, runs FormClose, then ends the message loop. A failure
    // in FormClose (the save) is reported and the program keeps running, so
    // its tasks are not lost with it.
    void Close();

    // Event handlers; the settings, the tray icon and the grid fill them in.
    void FormCreate();
    void FormActivate();
    void FormDeactivate();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void Exit1Click();   // tray menu "Exit"
    void Exit2Click();   // main menu "File" > "Exit"
    void BitBtn4Click(); // "Save" on the "Options" page

    // Session end: the user logs off or the system shuts down.
    bool QueryEndSession();
    void EndSession(bool ending);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    AppCore& core_;
    // The activation step runs only the first time the window gets the focus.
    bool activatedOnce_ = false;
};

// Ends the message loop; wWinMain then destroys the windows in reverse order.
void EndApplication();

// The three windows of the run, created once in wWinMain in this order.
extern TForm1* Form1;

} // namespace keyvane
