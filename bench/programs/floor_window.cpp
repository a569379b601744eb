// Floor for showing the main window from the tray: a plain window of the
// same size with a report-style list view (one row) and six buttons, hidden
// at start, shown by the tray callback the benchmark posts (message 1025,
// left button down) with nothing more than a tray program needs: show it
// and bring it to the front.
#include "floor.h"

#include <commctrl.h>

namespace {

constexpr UINT kTrayCallback = WM_USER + 1;
constexpr int kListId = 902;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kTrayCallback:
        if (LOWORD(lParam) == WM_LBUTTONDOWN) {
            ShowWindow(window, SW_SHOW);
            SetForegroundWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void AddControls(HINSTANCE instance, HWND main) {
    RECT client{};
    GetClientRect(main, &client);
    const HWND list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT, 16,
        40, client.right - 32, client.bottom - 100, main,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const wchar_t* captions[] = {L"", L"#", L"Desc", L"HotKey", L"Dest", L"Type run", L"Enabled"};
    for (int c = 0; c < 7; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = c == 0 ? 27 : 80;
        column.pszText = const_cast<wchar_t*>(captions[c]);
        column.iSubItem = c;
        ListView_InsertColumn(list, c, &column);
    }
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"1");
    ListView_InsertItem(list, &item);
    const wchar_t* buttons[] = {L"Add", L"Edit", L"Delete", L"Delete all", L"Down", L"Up"};
    for (int b = 0; b < 6; ++b)
        CreateWindowExW(0, WC_BUTTONW, buttons[b], WS_CHILD | WS_VISIBLE | WS_TABSTOP, 16 + b * 91,
                        client.bottom - 46, 85, 28, main,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(903 + b)), instance, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HWND main =
        floor_program::CreateTopLevel(instance, MainProc, L"FloorMain", keyvane::kMainWindowCaption,
                                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    if (!main) return 2;
    AddControls(instance, main);
    if (!floor_program::RegisterHotKeyOf(main)) return 2;
    return floor_program::RunMessageLoop();
}
