// Commands on controls with items, the grid (a list view) and the tab
// control: reading rows and cells, selecting, clicking.
#include "Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <numeric>

using namespace driver;

namespace {

// Memory in a control's process for the messages that carry pointers: the
// record is written there, the control fills it, it is read back.
class RemoteMemory {
  public:
    RemoteMemory(HWND control, SIZE_T size) : process_(Owner(control), &CloseHandle) {
        p_ = static_cast<char*>(VirtualAllocEx(process_.get(), nullptr, size,
                                               MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!p_) Fail(L"VirtualAllocEx failed");
    }
    ~RemoteMemory() { VirtualFreeEx(process_.get(), p_, 0, MEM_RELEASE); }
    LPARAM at(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(p_ + offset); }
    void Write(const void* data, SIZE_T size) const {
        if (!WriteProcessMemory(process_.get(), p_, data, size, nullptr))
            Fail(L"WriteProcessMemory failed");
    }
    void Read(void* data, SIZE_T size, std::size_t offset = 0) const {
        if (!ReadProcessMemory(process_.get(), p_ + offset, data, size, nullptr))
            Fail(L"ReadProcessMemory failed");
    }

  private:
    static HANDLE Owner(HWND control) {
        DWORD pid = 0;
        GetWindowThreadProcessId(control, &pid);
        if (const HANDLE p =
                OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid))
            return p;
        Fail(L"OpenProcess failed");
    }
    std::unique_ptr<void, decltype(&CloseHandle)> process_; // closed after a failed allocation too
    char* p_;
};

// A message that fills in a RECT, sent with the RECT (ask) in the control's process.
RECT AskRect(HWND control, UINT message, WPARAM wParam, RECT ask = {}) {
    const RemoteMemory remote(control, sizeof ask);
    remote.Write(&ask, sizeof ask);
    if (!SendMessageW(control, message, wParam, remote.at()))
        Fail(L"no rectangle from message " + std::to_wstring(message));
    remote.Read(&ask, sizeof ask);
    return ask;
}

// A grid cell's rectangle in the list's client coordinates (column 0: the row's).
RECT Cell(HWND list, const Args& a) {
    return AskRect(list, LVM_GETSUBITEMRECT, a.Int(3), {LVIR_BOUNDS, a.Int(4), 0, 0});
}

// Each column's width, in view order.
std::vector<LRESULT> ColumnWidths(HWND list) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const LRESULT count = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    std::vector<LRESULT> widths(static_cast<std::size_t>(std::max<LRESULT>(count, 0)));
    for (std::size_t i = 0; i < widths.size(); ++i)
        widths[i] = SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0);
    return widths;
}

// A click posted at a point produces what a real click does, notifications
// to the parent included (a WM_NOTIFY cannot be sent across processes).
void Click(HWND control, LONG x, LONG y, bool twice) {
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        Post(control, i ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Post(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
}

// The list view with the id, or without one the window's first list view.
HWND ListView(const Args& a) {
    if (a.Has(2)) return a.Control(1);
    for (const HWND w : Windows(a.Window(1)))
        if (ClassOf(w) == WC_LISTVIEWW) return w;
    Fail(L"no list view");
}

const Command kCommands[] = {
    {L"listview WINDOW [ID]", // Prints "rows R columns C", then each row's cells tab-separated.
     [](const Args& a) {
         const HWND list = ListView(a);
         const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
         const int columns = std::max(1, static_cast<int>(ColumnWidths(list).size()));
         constexpr int kChars = 4096;
         const RemoteMemory remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
         auto* const text = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
         Print(L"rows " + std::to_wstring(rows) + L" columns " + std::to_wstring(columns));
         for (int r = 0; r < rows; ++r) {
             std::wstring line;
             for (int c = 0; c < columns; ++c) {
                 LVITEMW item{};
                 item.iSubItem = c;
                 item.pszText = text;
                 item.cchTextMax = kChars;
                 remote.Write(&item, sizeof item);
                 std::wstring cell(SendMessageW(list, LVM_GETITEMTEXTW, r, remote.at()), L'\0');
                 if (!cell.empty())
                     remote.Read(cell.data(), cell.size() * sizeof(wchar_t), sizeof item);
                 line += (c ? L"\t" : L"") + cell;
             }
             Print(line);
         }
     }},
    {L"lvselect WINDOW ID ROW,ROW,...", // Exactly these rows selected, the first focused.
     [](const Args& a) {
         const HWND list = a.Control(1);
         const RemoteMemory remote(list, sizeof(LVITEMW));
         auto set = [&](int row, UINT state, UINT mask) {
             LVITEMW item{};
             item.stateMask = mask;
             item.state = state;
             remote.Write(&item, sizeof item);
             SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remote.at());
         };
         set(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
         UINT focus = LVIS_FOCUSED;
         for (const std::wstring& row : Split(a[3], L',')) {
             set(static_cast<int>(Number(row)), LVIS_SELECTED | focus, LVIS_SELECTED | focus);
             focus = 0;
         }
     }},
    {L"lvclick WINDOW ID ROW COL [double]", // A click at a cell's centre (column 0: its left).
     [](const Args& a) {
         const HWND list = a.Control(1);
         const RECT cell = Cell(list, a);
         Click(list, a.Int(4) == 0 ? cell.left + 8 : (cell.left + cell.right) / 2,
               (cell.top + cell.bottom) / 2, a.Is(5, L"double"));
     }},
    {L"lvrclick WINDOW ID ROW COL", // A right click there with the real mouse, as a menu needs.
     [](const Args& a) {
         const HWND list = a.Control(1);
         const RECT cell = Cell(list, a);
         POINT at{a.Int(4) == 0 ? cell.left + 8 : (cell.left + cell.right) / 2,
                  (cell.top + cell.bottom) / 2};
         ClientToScreen(list, &at);
         // A posted right click would open the menu where the pointer is,
         // not at the cell: the list view asks for the message's position.
         const auto mouse = [&](DWORD flags) {
             INPUT in{};
             in.type = INPUT_MOUSE;
             in.mi.dx = static_cast<LONG>(at.x * 65535LL / (GetSystemMetrics(SM_CXSCREEN) - 1));
             in.mi.dy = static_cast<LONG>(at.y * 65535LL / (GetSystemMetrics(SM_CYSCREEN) - 1));
             in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
             if (SendInput(1, &in, sizeof in) != 1) Fail(L"SendInput failed");
         };
         mouse(0);
         Sleep(50); // the move reaches the list view before the button
         mouse(MOUSEEVENTF_RIGHTDOWN);
         mouse(MOUSEEVENTF_RIGHTUP);
     }},
    {L"lvcell WINDOW ID ROW COL", // Prints the cell's "L T R B" on the screen.
     [](const Args& a) {
         const HWND list = a.Control(1);
         RECT r = Cell(list, a);
         MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
         Print(Rect(r));
     }},
    // Prints "top T perpage P focused F selected R,... columns C client W"
    // (C: the columns' widths summed, W: the list's client width).
    {L"lvstate WINDOW ID",
     [](const Args& a) {
         const HWND list = a.Control(1);
         auto ask = [&](UINT message, WPARAM w = 0, LPARAM l = 0) {
             return std::to_wstring(SendMessageW(list, message, w, l));
         };
         std::wstring selected;
         for (LRESULT row = -1;
              (row = SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED)) >= 0;)
             selected += (selected.empty() ? L"" : L",") + std::to_wstring(row);
         const auto widths = ColumnWidths(list);
         RECT c{};
         GetClientRect(list, &c);
         Print(L"top " + ask(LVM_GETTOPINDEX) + L" perpage " + ask(LVM_GETCOUNTPERPAGE) +
               L" focused " + ask(LVM_GETNEXTITEM, -1, LVNI_FOCUSED) + L" selected " +
               (selected.empty() ? L"-" : selected) + L" columns " +
               std::to_wstring(std::accumulate(widths.begin(), widths.end(), LRESULT{0})) +
               L" client " + std::to_wstring(c.right));
     }},
    {L"lvcolumns WINDOW ID", // Prints "widths W W ...", each column's width in view order.
     [](const Args& a) {
         std::wstring widths = L"widths";
         for (const LRESULT w : ColumnWidths(a.Control(1)))
             widths += L" " + std::to_wstring(w);
         Print(widths);
     }},
    {L"tabclick WINDOW ID INDEX", // A click on a tab; returns once its page is shown.
     [](const Args& a) {
         const HWND tabs = a.Control(1);
         const RECT r = AskRect(tabs, TCM_GETITEMRECT, a.Int(3));
         Click(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2, false);
         if (!WaitFor(10000, [&] { return Send(tabs, TCM_GETCURSEL) == DWORD_PTR(a.Int(3)); }))
             Fail(L"the tab did not become the current one");
     }},
};

} // namespace

const std::span<const Command> driver::kListCommands = kCommands;
