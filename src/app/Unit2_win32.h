// TForm2, the task editor dialog "Add task" (Windows side). Created once at
// start, hidden; its creation step loads the task list into the main
// window's table. It will also own the hotkey component and the dispatcher.
#pragma once

#include "app/AppCore.h"

#include <windows.h>

#include <cstdint>
#include <memory>

namespace keyvane {

class TForm1;

class TForm2 {
  public:
    // Creates the hidden dialog from its template; FormCreate runs inside,
    // so the main window and its table must exist already.
    TForm2(HINSTANCE instance, TForm1& form1, AppCore& core);
    ~TForm2();
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    HWND handle() const { return handle_; }

    void FormCreate();

  private:
    template <class Owner> friend INT_PTR CALLBACK ForwardingDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    TForm1& form1_;
    AppCore& core_;
    HWND handle_ = nullptr;
};

extern TForm2* Form2;

} // namespace keyvane
