// TForm1, the main window: its life from creation to destruction and the
// exit routes that run through it.
#include "app/Unit1_win32.h"

#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/WinText.h"

#include <stdexcept>

namespace keyvane {

TForm1* Form1 = nullptr;

namespace {
constexpr wchar_t kClassName[] = L"TForm1";
} // namespace

void EndApplication() {
    PostQuitMessage(0);
}

TForm1::TForm1(HINSTANCE instance, AppCore& core) : core_(core) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TForm1::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("RegisterClassExW failed for the main window");

    // Created hidden: whether it is shown is for the settings to decide.
    const std::wstring caption = ToWide(kMainWindowCaption);
    if (!CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 640, 420, nullptr, nullptr, instance, this))
        throw std::runtime_error("CreateWindowExW failed for the main window");
    Guarded([&] { FormCreate(); });
}

TForm1::~TForm1() {
    if (handle_) DestroyWindow(handle_);
}

void TForm1::Close() {
    if (!FormCloseQuery()) return;
    FormClose();
    ShowWindow(handle_, SW_HIDE);
    EndApplication();
}

void TForm1::FormCreate() {
    // Comes with the tray icon and the settings, in this order: add the tray
    // icon (failures ignored), LoadSettings (failures reported, ending this
    // handler), SaveSettings.
}

void TForm1::FormActivate() {
    // LoadSettings comes with the settings.
}

void TForm1::FormDeactivate() {
    // Runs when another non-modal window of the program takes the focus;
    // every other window of the program is modal, so in practice never.
    core_.SaveTaskList();
}

bool TForm1::FormCloseQuery() {
    return true;
}

void TForm1::FormClose() {
    core_.SaveTaskList();
    // Then, with the tray icon and the settings: remove the tray icon
    // (failures ignored), SaveSettings.
}

void TForm1::FormDestroy() {
    core_.SaveTaskList();
    // SaveSettings comes with the settings.
}

void TForm1::Exit1Click() {
    // SaveSettings comes with the settings.
    Close();
}

void TForm1::Exit2Click() {
    // SaveSettings and the removal of the tray icon come first, with them.
    // The close handlers do not run on this route; FormDestroy still saves.
    EndApplication();
}

void TForm1::BitBtn4Click() {
    // SaveSettings comes with the settings.
}

bool TForm1::QueryEndSession() {
    return true;
}

void TForm1::EndSession(bool ending) {
    // The system may end the process at any moment after this returns, so
    // everything worth keeping is written now.
    // "Log off computer" ends the session this way too. SaveSettings comes
    // with the settings and belongs here as well.
    if (ending) core_.SaveTaskList();
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !activatedOnce_) {
            activatedOnce_ = true;
            Guarded([&] { FormActivate(); });
        }
        break;
    case WM_CLOSE:
        Guarded([&] { Close(); });
        return 0;
    case WM_QUERYENDSESSION:
        return Guarded(TRUE, [&] { return QueryEndSession() ? TRUE : FALSE; });
    case WM_ENDSESSION:
        Guarded([&] { EndSession(wParam != FALSE); });
        return 0;
    case WM_DESTROY:
        Guarded([&] { FormDestroy(); });
        return 0;
    case WM_NCDESTROY: {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        const HWND window = handle_;
        handle_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

} // namespace keyvane
