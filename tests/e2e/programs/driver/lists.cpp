// Commands on controls with items, the grid (a list view) and the tab
// control: reading rows and cells, selecting, clicking.
#include "Driver.h"

#include <commctrl.h>

#include <algorithm>

namespace driver {
namespace {

// Memory in the process that owns a control, for the messages that carry
// pointers: the record is written there, the control fills it, it is read
// back. Freed, and the process closed, when done.
class RemoteMemory {
  public:
    RemoteMemory(HWND control, SIZE_T size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(control, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION,
                               FALSE, pid);
        if (!process_) Fail(L"OpenProcess failed");
        p_ = static_cast<char*>(
            VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!p_) {
            CloseHandle(process_);
            Fail(L"VirtualAllocEx failed");
        }
    }
    ~RemoteMemory() {
        VirtualFreeEx(process_, p_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    LPARAM at(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(p_ + offset); }
    void Write(const void* data, SIZE_T size) const {
        SIZE_T n = 0;
        if (!WriteProcessMemory(process_, p_, data, size, &n)) Fail(L"WriteProcessMemory failed");
    }
    void Read(void* data, SIZE_T size, std::size_t offset = 0) const {
        SIZE_T n = 0;
        if (!ReadProcessMemory(process_, p_ + offset, data, size, &n))
            Fail(L"ReadProcessMemory failed");
    }

  private:
    HANDLE process_;
    char* p_;
};

LRESULT Columns(HWND list) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
}

// The list view with the id, or without one the window's first list view.
HWND ListView(const Args& a) {
    if (a.Has(2)) return a.Control(1);
    HWND found = nullptr;
    EnumChildWindows(
        a.Window(1),
        [](HWND w, LPARAM p) -> BOOL {
            if (ClassOf(w) != WC_LISTVIEWW) return TRUE;
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found) Fail(L"no list view");
    return found;
}

// Prints "rows R columns C", then each row's cells tab-separated.
void PrintRows(HWND list) {
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int columns = std::max(1, static_cast<int>(Columns(list)));
    constexpr int kChars = 4096;
    const RemoteMemory remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    Print(L"rows " + std::to_wstring(rows) + L" columns " + std::to_wstring(columns));
    for (int r = 0; r < rows; ++r) {
        std::wstring line;
        for (int c = 0; c < columns; ++c) {
            LVITEMW item{};
            item.iSubItem = c;
            item.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
            item.cchTextMax = kChars;
            remote.Write(&item, sizeof item);
            const LRESULT len = SendMessageW(list, LVM_GETITEMTEXTW, r, remote.at());
            std::wstring cell(static_cast<std::size_t>(len), L'\0');
            if (len > 0) remote.Read(cell.data(), len * sizeof(wchar_t), sizeof(LVITEMW));
            line += (c ? L"\t" : L"") + cell;
        }
        Print(line);
    }
}

// Selects exactly these rows; the first becomes the focused row.
void SelectRows(HWND list, const std::wstring& rows) {
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
    for (std::size_t start = 0; start <= rows.size();) {
        const std::size_t comma = std::min(rows.find(L',', start), rows.size());
        if (comma > start) {
            set(static_cast<int>(Number(rows.substr(start, comma - start))), LVIS_SELECTED | focus,
                LVIS_SELECTED | focus);
            focus = 0;
        }
        start = comma + 1;
    }
}

// A grid cell's rectangle in the list view's client coordinates.
RECT Cell(HWND list, const Args& a) {
    const RemoteMemory remote(list, sizeof(RECT));
    RECT cell{LVIR_BOUNDS, static_cast<LONG>(a.Int(4)), 0, 0}; // top = sub-item, left = part
    remote.Write(&cell, sizeof cell);
    if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(a.Int(3)), remote.at()))
        Fail(L"LVM_GETSUBITEMRECT failed");
    remote.Read(&cell, sizeof cell);
    return cell;
}

// A click posted at a point produces what a real click does, notifications
// to the parent included (a WM_NOTIFY cannot be sent across processes).
void Click(HWND control, LPARAM at, bool twice) {
    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(control, WM_LBUTTONUP, 0, at);
    if (!twice) return;
    Post(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    Post(control, WM_LBUTTONUP, 0, at);
}

const Command kCommands[] = {
    // Prints every row of the list view tab-separated, after "rows R columns C".
    {L"listview", L"WINDOW [ID]", [](const Args& a) { PrintRows(ListView(a)); }},
    // Selects exactly these grid rows, the first focused.
    {L"lvselect", L"WINDOW ID ROW,ROW,...", [](const Args& a) { SelectRows(a.Control(1), a[3]); }},
    // A click at a grid cell's centre (column 0: its left part, as its
    // bounds are the whole row's).
    {L"lvclick", L"WINDOW ID ROW COL [double]",
     [](const Args& a) {
         const HWND list = a.Control(1);
         const RECT cell = Cell(list, a);
         const int x = a.Int(4) == 0 ? cell.left + 8 : (cell.left + cell.right) / 2;
         Click(list, MAKELPARAM(x, (cell.top + cell.bottom) / 2), a.Is(5, L"double"));
     }},
    // Prints a grid cell's left, top, right and bottom in screen coordinates.
    {L"lvcell", L"WINDOW ID ROW COL",
     [](const Args& a) {
         const HWND list = a.Control(1);
         RECT r = Cell(list, a);
         MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
         Print(Rect(r));
     }},
    // Prints "top T perpage P focused F selected R,... columns C client W"
    // (C: the columns' widths summed, W: the list's client width). Messages
    // without pointers only: they work across processes.
    {L"lvstate", L"WINDOW ID",
     [](const Args& a) {
         const HWND list = a.Control(1);
         auto next = [&](LRESULT after, UINT flags) {
             return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), flags);
         };
         std::wstring selected;
         for (LRESULT row = next(-1, LVNI_SELECTED); row >= 0; row = next(row, LVNI_SELECTED))
             selected += (selected.empty() ? L"" : L",") + std::to_wstring(row);
         LRESULT width = 0;
         for (LRESULT i = 0, columns = Columns(list); i < columns; ++i)
             width += SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0);
         RECT c{};
         GetClientRect(list, &c);
         Print(L"top " + std::to_wstring(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)) + L" perpage " +
               std::to_wstring(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)) + L" focused " +
               std::to_wstring(next(-1, LVNI_FOCUSED)) + L" selected " +
               (selected.empty() ? L"-" : selected) + L" columns " + std::to_wstring(width) +
               L" client " + std::to_wstring(c.right));
     }},
    // Prints "widths W W ...", each column's width in view order.
    {L"lvcolumns", L"WINDOW ID",
     [](const Args& a) {
         const HWND list = a.Control(1);
         std::wstring widths;
         for (LRESULT i = 0, columns = Columns(list); i < columns; ++i)
             widths += (i ? L" " : L"") + std::to_wstring(SendMessageW(list, LVM_GETCOLUMNWIDTH,
                                                                       static_cast<WPARAM>(i), 0));
         Print(L"widths " + widths);
     }},
    // A click on a tab of a tab control; returns once that tab is the
    // current one, so its page is shown.
    {L"tabclick", L"WINDOW ID INDEX",
     [](const Args& a) {
         const HWND tabs = a.Control(1);
         const auto index = static_cast<WPARAM>(a.Int(3));
         RECT r{};
         {
             const RemoteMemory remote(tabs, sizeof(RECT));
             if (!SendMessageW(tabs, TCM_GETITEMRECT, index, remote.at()))
                 Fail(L"TCM_GETITEMRECT failed");
             remote.Read(&r, sizeof r);
         }
         Click(tabs, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2), false);
         if (!WaitFor(10000,
                      [&] { return static_cast<WPARAM>(Send(tabs, TCM_GETCURSEL)) == index; }))
             Fail(L"the tab did not become the current one");
     }},
};

} // namespace

std::span<const Command> ListCommands() {
    return kCommands;
}

} // namespace driver
