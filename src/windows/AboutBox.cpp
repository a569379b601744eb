// The About box: the product picture, its name and version, and two
// links, to the product's page and to a feedback mail. The links are
// buttons drawn as links, so Tab reaches them and Enter or Space opens them.
#include "windows/AboutBox.h"

#include "windows/DialogHost.h"
#include "windows/Scaling.h"
#include "windows/ModalLoop.h"
#include "windows/resource.h"
#include "base/AppInfo.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <shellapi.h>

#include <stdexcept>

namespace keyvane {

namespace {
constexpr COLORREF kLinkColour = RGB(128, 128, 255);
} // namespace

AboutBox::AboutBox(HINSTANCE instance, HWND owner) : owner_(owner) {
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner,
                            &ForwardingDialogProc<AboutBox>, reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the About box");
}

AboutBox::~AboutBox() {
    if (handle_) DestroyWindow(handle_);
    if (linkFont_) DeleteObject(linkFont_);
    if (picture_) DestroyIcon(picture_);
}

void AboutBox::ShowModal() {
    done_ = false;
    SetFocus(GetDlgItem(handle_, IDC_ABOUT_OK));
    RunModal(handle_, IsWindowVisible(owner_) ? owner_ : nullptr, done_);
}

void AboutBox::OpenProductPage() {
    EnterComApartment();
    ShellExecuteW(handle_, L"open", ToWide(kProductPage).c_str(), L"", L"", SW_SHOWNORMAL);
}

void AboutBox::OnPicture() {
    OpenProductPage();
}

void AboutBox::OpenFeedbackMail() {
    // The default verb: whatever the user's mail program does with it.
    EnterComApartment();
    ShellExecuteW(handle_, nullptr, ToWide(kFeedbackMail).c_str(), L"", L"", SW_SHOWNORMAL);
}

void AboutBox::OnOk() {
    done_ = true;
}

void AboutBox::SetUpControls() {
    SetWindowTextW(handle_, ToWide(kAboutCaption).c_str());
    SetDlgItemTextW(handle_, IDC_ABOUT_TEXT, ToWide(kAboutText).c_str());
    // "MS Sans Serif" at 10 points, underlined, as the links were designed.
    LOGFONTW font{};
    font.lfHeight = -ScaleToDpi(handle_, MulDiv(10, 96, 72));
    font.lfWeight = FW_NORMAL;
    font.lfUnderline = TRUE;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(font.lfFaceName, L"MS Shell Dlg");
    linkFont_ = CreateFontIndirectW(&font);
    const int size = ScaleToDpi(handle_, 128);
    picture_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ABOUT),
                                             IMAGE_ICON, size, size, 0));
    if (picture_)
        SendDlgItemMessageW(handle_, IDC_ABOUT_PICTURE, STM_SETICON,
                            reinterpret_cast<WPARAM>(picture_), 0);
    SetButtonGlyph(GetDlgItem(handle_, IDC_ABOUT_OK), GetModuleHandleW(nullptr), IDI_OK);
}

void AboutBox::DrawLink(const DRAWITEMSTRUCT& item) {
    wchar_t text[128] = {};
    GetWindowTextW(item.hwndItem, text, 128);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, kLinkColour);
    HGDIOBJ old = SelectObject(item.hDC, linkFont_);
    RECT box = item.rcItem;
    DrawTextW(item.hDC, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT measured = item.rcItem;
        DrawTextW(item.hDC, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
        const int width = measured.right - measured.left;
        RECT focus{(item.rcItem.left + item.rcItem.right - width) / 2 - 2, item.rcItem.top,
                   (item.rcItem.left + item.rcItem.right + width) / 2 + 2, item.rcItem.bottom};
        DrawFocusRect(item.hDC, &focus);
    }
    SelectObject(item.hDC, old);
}

INT_PTR AboutBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetUpControls();
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_ABOUT_WEB_LINK || item->CtlID == IDC_ABOUT_FEEDBACK_LINK) {
            DrawLink(*item);
            return TRUE;
        }
        break;
    }
    case WM_SETCURSOR: {
        // The picture and the links take the hand, as links do.
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
        if (id == IDC_ABOUT_PICTURE || id == IDC_ABOUT_WEB_LINK || id == IDC_ABOUT_FEEDBACK_LINK) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(handle_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ABOUT_WEB_LINK:
            OpenProductPage();
            return TRUE;
        case IDC_ABOUT_FEEDBACK_LINK:
            OpenFeedbackMail();
            return TRUE;
        case IDC_ABOUT_PICTURE:
            if (HIWORD(wParam) == STN_CLICKED) OnPicture();
            return TRUE;
        case IDOK: {
            // Enter on a link opens it; anywhere else it is OK.
            const int focus = GetDlgCtrlID(GetFocus());
            if (focus == IDC_ABOUT_WEB_LINK)
                OpenProductPage();
            else if (focus == IDC_ABOUT_FEEDBACK_LINK)
                OpenFeedbackMail();
            else
                OnOk();
            return TRUE;
        }
        case IDCANCEL:
            OnOk();
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace keyvane
