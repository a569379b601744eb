// A window with a report-style list view holding fixed rows, so the
// end-to-end suite can check that the driver reads list views of another
// process correctly (text across the process boundary, non-ASCII included).
#include <windows.h>
#include <commctrl.h>

namespace {

const wchar_t* const kColumns[] = {L"#", L"Description", L"Destination"};
const wchar_t* const kRows[][3] = {
    {L"1", L"Run Calc", L""},
    {L"2", L"Open Website...", L"https://example.org/\u00fcber?q=\U0001F600"},
    {L"3", L"Run selected program...", L"C:\\Pr\u00f6grams\\\u65e5\u672c\\a.exe, \"x\""},
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"kvlistview";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"kvlistview", L"kvlistview", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300,
                                nullptr, nullptr, instance, nullptr);
    HWND list = CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 480, 260,
                              window, reinterpret_cast<HMENU>(100), instance, nullptr);
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        column.pszText = const_cast<wchar_t*>(kColumns[c]);
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    for (int r = 0; r < 3; ++r) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<wchar_t*>(kRows[r][0]);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 3; ++c) {
            item.iSubItem = c;
            item.pszText = const_cast<wchar_t*>(kRows[r][c]);
            SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
        }
    }
    ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
