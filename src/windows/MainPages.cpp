// The main window's two pages: the page control, the Options page's
// controls, and the task page made inside them.
#include "windows/MainPages.h"

#include "app/AppPaths.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"
#include "windows/ModalLoop.h"
#include "windows/Scaling.h"
#include "windows/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace keyvane {

namespace {

// "Saved." stays this long beside "Save".
constexpr UINT_PTR kSavedTimer = 1;
constexpr UINT kSavedShownMs = 3000;

constexpr int kOptionsPage[] = {IDC_MAIN_GENERAL_GROUP,
                                IDC_MAIN_AUTOSTART,
                                IDC_MAIN_TRAY_ONLY,
                                IDC_MAIN_PAUSE_LABEL,
                                IDC_MAIN_PAUSE_HOTKEY,
                                IDC_MAIN_PAUSE_NOTE,
                                IDC_MAIN_PAUSE_FULL_SCREEN,
                                IDC_MAIN_IMPORT_LABEL,
                                IDC_MAIN_IMPORT,
                                IDC_MAIN_SAVE,
                                IDC_MAIN_SAVED};

} // namespace

MainPages::MainPages(HINSTANCE instance, HWND window, AppCore& core)
    : instance_(instance), window_(window), core_(core) {
    pages_ = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN_PAGES), window,
                                &MainPages::PagesProc, reinterpret_cast<LPARAM>(this));
    if (!pages_) throw std::runtime_error("CreateDialogParamW failed for the main window's pages");
    SetUpControls();
    ShowPage(0);
    LayOut();
    ShowWindow(pages_, SW_SHOW);
}

MainPages::~MainPages() {
    pauseField_.reset();
    tasks_.reset();
    if (pages_) DestroyWindow(pages_);
    if (font_) DeleteObject(font_);
}

int MainPages::Scaled(int pixels) const {
    return ScaleToDpi(window_, pixels);
}

void MainPages::SetUpControls() {
    HWND tabs = GetDlgItem(pages_, IDC_MAIN_TABS);
    const std::wstring names[] = {ToWide(kHotKeyPageName), ToWide(kOptionsPageName)};
    for (int i = 0; i < 2; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(names[i].c_str());
        TabCtrl_InsertItem(tabs, i, &item);
    }
    // The page control lies under the pages' controls, and the group box
    // under the controls it frames.
    for (int id : {IDC_MAIN_GENERAL_GROUP, IDC_MAIN_TABS})
        SetWindowPos(GetDlgItem(pages_, id), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetGlyphs();
    tasks_ = std::make_unique<TaskPage>(instance_, pages_, window_, core_);
    pauseField_ = std::make_unique<HotKeyField>(
        GetDlgItem(pages_, IDC_MAIN_PAUSE_HOTKEY), core_.hotKeyNames(),
        [this](HotKeyCode code) {
            Guarded([&] {
                const std::u16string note = core_.PressPauseField(code);
                ShowPauseHotKey(); // also when refused: the field shows what holds
                SetDlgItemTextW(pages_, IDC_MAIN_PAUSE_NOTE, W(note));
            });
        },
        OptionsPageShortcuts());
    ShowPauseHotKey();
}

void MainPages::ShowPauseHotKey() {
    pauseField_->SetValue(core_.pauseHotKey());
}

void MainPages::CoreChanged(const CoreChange& change) {
    if (change.options) ShowPauseHotKey();
    tasks_->CoreChanged(change);
}

void MainPages::OnOptionsButton(UINT id) {
    switch (id) {
    case IDC_MAIN_SAVE:
        // The exit routes stay silent; "Save" says what it could not keep.
        if (const std::u16string report = core_.SaveOptions(); !report.empty()) {
            ModalMessageBox(window_, W(report), MB_OK | MB_ICONWARNING);
        } else {
            SetDlgItemTextW(pages_, IDC_MAIN_SAVED, ToWide(kOptionsSavedText).c_str());
            SetTimer(pages_, kSavedTimer, kSavedShownMs, nullptr);
        }
        break;
    case IDC_MAIN_IMPORT: {
        std::u16string path = ExecutablePath(); // opens in the program's folder
        const bool chosen = AskOpenFile(window_, L"Hotkey list\0*.cnfg\0", path);
        const bool imported = chosen && core_.ImportVersion12List(path);
        if (chosen && !imported) ModalMessageBox(window_, ToWide(kImportFailedText).c_str(), MB_OK);
        core_.FinishImport();
        break;
    }
    case IDC_MAIN_PAUSE_FULL_SCREEN:
        // At once, as the user would expect of a pause; "Save" keeps it.
        core_.SetPauseWhenFullScreen(Option(IDC_MAIN_PAUSE_FULL_SCREEN));
        break;
    default:
        break; // the two other boxes count at the next "Save"
    }
}

void MainPages::FocusDefault() {
    if (page_ != 0)
        SetFocus(GetDlgItem(pages_, IDC_MAIN_AUTOSTART));
    else
        tasks_->FocusDefault();
}

void MainPages::SetGlyphs() {
    const std::pair<int, int> glyphs[] = {{IDC_MAIN_SAVE, IDI_SAVE}, {IDC_MAIN_IMPORT, IDI_IMPORT}};
    for (auto [button, icon] : glyphs)
        SetButtonGlyph(GetDlgItem(pages_, button), instance_, icon);
}

void MainPages::DpiChanged(int oldDpi, int newDpi) {
    if (oldDpi <= 0 || newDpi <= 0 || oldDpi == newDpi) return;
    // The dialog's font was made for the dpi it was created at; a child
    // dialog is not rescaled by the system.
    LOGFONTW logFont{};
    const auto current = reinterpret_cast<HFONT>(SendMessageW(pages_, WM_GETFONT, 0, 0));
    if (current && GetObjectW(current, sizeof logFont, &logFont)) {
        logFont.lfHeight = MulDiv(logFont.lfHeight, newDpi, oldDpi);
        if (HFONT font = CreateFontIndirectW(&logFont)) {
            SendMessageW(pages_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            for (HWND child = GetWindow(pages_, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (font_) DeleteObject(font_);
            font_ = font;
        }
    }
    SetGlyphs();
    tasks_->DpiChanged(font_, oldDpi, newDpi);
    LayOut();
}

bool MainPages::Option(int id) const {
    return IsDlgButtonChecked(pages_, id) == BST_CHECKED;
}

void MainPages::SetOption(int id, bool set) {
    CheckDlgButton(pages_, id, set ? BST_CHECKED : BST_UNCHECKED);
}

void MainPages::ShowPage(int page) {
    page_ = page;
    TabCtrl_SetCurSel(GetDlgItem(pages_, IDC_MAIN_TABS), page);
    ShowWindow(tasks_->handle(), page == 0 ? SW_SHOW : SW_HIDE);
    for (int id : kOptionsPage)
        ShowWindow(GetDlgItem(pages_, id), page == 1 ? SW_SHOW : SW_HIDE);
    // Hidden group boxes leave their frames behind unless all is repainted.
    RedrawWindow(pages_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    // The keyboard focus must not stay on a control of the hidden page.
    HWND focus = GetFocus();
    if (focus && IsChild(pages_, focus) && !IsWindowVisible(focus)) {
        if (page == 0)
            SetFocus(tasks_->grid().handle());
        else
            SetFocus(GetDlgItem(pages_, IDC_MAIN_AUTOSTART));
    }
}

bool MainPages::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg.hwnd == window_ || IsChild(window_, msg.hwnd))) {
        ShowPage(1 - page_); // two pages: either direction lands on the other
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == 'F' && (GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg.hwnd == window_ || IsChild(window_, msg.hwnd))) {
        if (page_ != 0) ShowPage(0);
        tasks_->FocusSearch();
        return true;
    }
    if (tasks_->PreTranslateMessage(msg)) return true;
    return IsDialogMessageW(pages_, &msg) != FALSE;
}

INT_PTR CALLBACK MainPages::PagesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<MainPages*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR MainPages::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND:
        // Enter and Escape on the Options page do nothing.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return TRUE;
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        Guarded([&] { OnOptionsButton(LOWORD(wParam)); });
        return TRUE;
    case WM_TIMER:
        if (wParam != kSavedTimer) return FALSE;
        KillTimer(pages_, kSavedTimer);
        SetDlgItemTextW(pages_, IDC_MAIN_SAVED, L"");
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The pause field is read-only only to keep typing out; it looks
        // like a field the user fills.
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(pages_, IDC_MAIN_PAUSE_HOTKEY))
            return FALSE;
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_MAIN_TABS || header->code != TCN_SELCHANGE) return FALSE;
        ShowPage(TabCtrl_GetCurSel(header->hwndFrom));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace keyvane
