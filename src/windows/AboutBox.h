// The About box: made at each opening, at the dpi of the monitor its owner
// is on, and destroyed when closed; shown modally from the main menu and the
// tray menu.
#pragma once

#include <windows.h>

namespace keyvane {

class AboutBox {
  public:
    // owner: the main window, disabled while the box is open when it shows.
    AboutBox(HINSTANCE instance, HWND owner);
    ~AboutBox();
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    // Returns when OK, Escape or the title bar's close ends it.
    void ShowModal();

  private:
    template <class Owner> friend INT_PTR CALLBACK ForwardingDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetUpControls();
    void DrawLink(const DRAWITEMSTRUCT& item);

    void OnPicture();        // the picture: the product's page
    void OpenProductPage();  // "click here to visit our website"
    void OpenFeedbackMail(); // "click here to send feedback"
    void OnOk();             // "OK", Escape

    HWND owner_;
    HWND handle_ = nullptr;
    bool done_ = true;
    HFONT linkFont_ = nullptr;
    HICON picture_ = nullptr;
};

} // namespace keyvane
