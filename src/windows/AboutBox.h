// TForm3, the About box (Windows side). Created once at start, hidden;
// shown modally from the main menu and the tray menu.
#pragma once

#include <windows.h>

namespace keyvane {

class TForm1;

class TForm3 {
  public:
    TForm3(HINSTANCE instance, TForm1& form1);
    ~TForm3();
    TForm3(const TForm3&) = delete;
    TForm3& operator=(const TForm3&) = delete;

    HWND handle() const { return handle_; }
    // Shown modally from both menus; OK and the title bar's close hide it.
    void ShowModal();

    void FormCreate();
    void Image1Click();  // the picture: the product's page
    void Label2Click();  // "click here to visit our website"
    void Label3Click();  // "click here to send feedback"
    void BitBtn1Click(); // "OK"

  private:
    template <class Owner> friend INT_PTR CALLBACK ForwardingDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void DrawLink(const DRAWITEMSTRUCT& item);

    TForm1& form1_;
    HWND handle_ = nullptr;
    bool done_ = true;
    HFONT linkFont_ = nullptr;
    HICON picture_ = nullptr;
};

} // namespace keyvane
