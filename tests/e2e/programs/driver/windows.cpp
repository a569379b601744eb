// Commands on windows and their controls: waiting for them, messages to
// them, and what they show.
#include "Driver.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <chrono>

using namespace driver;

namespace {

// A number or one of the message names the cases use.
UINT MessageNumber(const std::wstring& name) {
    static const wchar_t* const names[] = {
        L"WM_NULL",       L"WM_CLOSE", L"WM_COMMAND", L"WM_SYSCOMMAND", L"WM_QUERYENDSESSION",
        L"WM_ENDSESSION", L"WM_USER",  L"BM_CLICK"};
    static const UINT values[] = {
        WM_NULL,       WM_CLOSE, WM_COMMAND, WM_SYSCOMMAND, WM_QUERYENDSESSION,
        WM_ENDSESSION, WM_USER,  BM_CLICK};
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (name == names[i]) return values[i];
    return static_cast<UINT>(Number(name));
}

// A WM_DROPFILES carries a memory handle of the receiving process, which the
// shell makes there (a handle posted from another process names nothing
// there). Wine takes a fixed block's address for such a handle, so the file
// list is written into the receiver's memory; its DragFinish cannot free the
// block, which stays until the process ends.
void DropFile(HWND window, const std::wstring& file) {
    RECT r{};
    GetWindowRect(window, &r);
    const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND target = WindowFromPoint(at);
    while (target && !(GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
        target = GetParent(target);
    if (!target) Fail(L"no window at the point accepts dropped files");
    POINT client = at;
    ScreenToClient(target, &client);
    std::vector<char> block(sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t), 0);
    auto* drop = reinterpret_cast<DROPFILES*>(block.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = client;
    drop->fWide = TRUE;
    std::copy(file.begin(), file.end(), reinterpret_cast<wchar_t*>(drop + 1));
    DWORD pid = 0;
    GetWindowThreadProcessId(target, &pid);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) Fail(L"OpenProcess failed");
    void* remote =
        VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written =
        remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
    CloseHandle(process);
    if (!written) Fail(L"could not place the file list in the receiving process");
    Post(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote));
    Print(L"dropped on " + ClassOf(target));
}

void SaveShortcut(const Args& a) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        Fail(L"CoCreateInstance of the shell link failed");
    link->SetPath(a[2].c_str());
    link->SetArguments(a.Has(3) ? a[3].c_str() : L"");
    link->SetWorkingDirectory(a.Has(4) ? a[4].c_str() : L"");
    link->SetShowCmd(static_cast<int>(a.Opt(5, SW_SHOWNORMAL)));
    IPersistFile* persist = nullptr;
    const bool saved =
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Save(a[1].c_str(), TRUE));
    if (persist) persist->Release();
    link->Release();
    if (!saved) Fail(L"the shortcut could not be saved");
}

const Command kCommands[] = {
    {L"find WINDOW [TIMEOUT]", // Waits until it exists; prints "hwnd H pid P visible V".
     [](const Args& a) {
         HWND w = nullptr;
         if (!WaitFor(a.Timeout(2), [&] { return (w = FindTopLevel(a[1])) != nullptr; }))
             Fail(L"timed out waiting for window " + a[1]);
         DWORD pid = 0;
         GetWindowThreadProcessId(w, &pid);
         Print(L"hwnd " + std::to_wstring(reinterpret_cast<UINT_PTR>(w)) + L" pid " +
               std::to_wstring(pid) + L" visible " + (IsWindowVisible(w) ? L"1" : L"0"));
     }},
    {L"gone WINDOW [TIMEOUT]", // Waits until no such window exists.
     [](const Args& a) {
         if (!WaitFor(a.Timeout(2), [&] { return FindTopLevel(a[1]) == nullptr; }))
             Fail(L"timed out waiting for window to go: " + a[1]);
         Print(L"gone");
     }},
    {L"post WINDOW MSG [WPARAM] [LPARAM]",
     [](const Args& a) {
         Post(a.Window(1), MessageNumber(a[2]), a.Opt(3, 0), static_cast<LPARAM>(a.Opt(4, 0)));
     }},
    {L"send WINDOW MSG [WPARAM] [LPARAM]", // SendMessageTimeoutW; prints "result R".
     [](const Args& a) {
         Print(L"result " + std::to_wstring(Send(a.Window(1), MessageNumber(a[2]), a.Opt(3, 0),
                                                 static_cast<LPARAM>(a.Opt(4, 0)))));
     }},
    {L"childsend WINDOW ID MSG [WPARAM] [LPARAM]", // To a control; prints "result R".
     [](const Args& a) {
         Print(L"result " + std::to_wstring(Send(a.Control(1), MessageNumber(a[3]), a.Opt(4, 0),
                                                 static_cast<LPARAM>(a.Opt(5, 0)))));
     }},
    // Posts WM_CLOSE, as taskkill without /F does.
    {L"close WINDOW", [](const Args& a) { Post(a.Window(1), WM_CLOSE); }},
    {L"command WINDOW ID", [](const Args& a) { Post(a.Window(1), WM_COMMAND, a.Int(2)); }},
    {L"click WINDOW ID", [](const Args& a) { Post(a.Control(1), BM_CLICK); }},
    // The tray icon's callback message; LPARAM is a mouse message.
    {L"tray WINDOW LPARAM", [](const Args& a) { Post(a.Window(1), WM_USER + 1, 1, a.Int(2)); }},
    {L"endsession WINDOW [logoff]", // Query, then end with its answer; prints "query R".
     [](const Args& a) {
         const HWND w = a.Window(1);
         const LPARAM reason = a.Is(2, L"logoff") ? ENDSESSION_LOGOFF : 0;
         const DWORD_PTR query = Send(w, WM_QUERYENDSESSION, 0, reason);
         Print(L"query " + std::to_wstring(query));
         Send(w, WM_ENDSESSION, query ? TRUE : FALSE, reason);
     }},
    {L"settext WINDOW ID TEXT", // Prints "ms T", the time the control took to answer.
     [](const Args& a) {
         const HWND c = a.Control(1);
         const auto began = std::chrono::steady_clock::now();
         Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()));
         const std::chrono::duration<double, std::milli> took =
             std::chrono::steady_clock::now() - began;
         Print(L"ms " + std::to_wstring(took.count()));
     }},
    {L"text WINDOW [ID]",
     [](const Args& a) { Print(WindowText(a.Has(2) ? a.Control(1) : a.Window(1))); }},
    {L"front WINDOW", // Brings it to the front, as a click on it would; waits until it is.
     [](const Args& a) {
         const HWND w = a.Window(1);
         SetForegroundWindow(w);
         if (!WaitFor(a.Timeout(2), [&] { return GetForegroundWindow() == w; }))
             Fail(L"the window did not come to the front");
     }},
    {L"units WINDOW [ID]", // Prints "units" and the text's UTF-16 code units in hex, exactly.
     [](const Args& a) {
         std::wstring line = L"units";
         wchar_t code[8];
         for (const wchar_t unit : WindowText(a.Has(2) ? a.Control(1) : a.Window(1))) {
             std::swprintf(code, 8, L" %04X", static_cast<unsigned>(unit));
             line += code;
         }
         Print(line);
     }},
    {L"enabled WINDOW ID", // Prints "enabled 1" or "enabled 0".
     [](const Args& a) { Print(IsWindowEnabled(a.Control(1)) ? L"enabled 1" : L"enabled 0"); }},
    {L"children WINDOW", // Prints each descendant: id, class, text (tab-separated).
     [](const Args& a) {
         for (const HWND w : Windows(a.Window(1)))
             Print(std::to_wstring(GetDlgCtrlID(w)) + L"\t" + ClassOf(w) + L"\t" + WindowText(w));
     }},
    {L"list", // Prints each top-level window: pid, visible, class, caption (tab-separated).
     [](const Args&) {
         for (const HWND w : Windows(nullptr)) {
             DWORD pid = 0;
             GetWindowThreadProcessId(w, &pid);
             Print(std::to_wstring(pid) + L"\t" + (IsWindowVisible(w) ? L"1" : L"0") + L"\t" +
                   ClassOf(w) + L"\t" + Caption(w));
         }
     }},
    {L"place WINDOW X Y W H",
     [](const Args& a) {
         if (!SetWindowPos(a.Window(1), nullptr, a.Int(2), a.Int(3), a.Int(4), a.Int(5),
                           SWP_NOZORDER | SWP_NOACTIVATE))
             Fail(L"SetWindowPos failed");
     }},
    {L"rect WINDOW", // Prints "L T R B", the window's rectangle.
     [](const Args& a) {
         RECT r{};
         if (!GetWindowRect(a.Window(1), &r)) Fail(L"GetWindowRect failed");
         Print(Rect(r));
     }},
    // Prints "client L T R B" (screen coordinates), "state zoomed Z iconic
    // I", then each visible descendant: "ID CLASS L T R B".
    {L"layout WINDOW",
     [](const Args& a) {
         const HWND w = a.Window(1);
         RECT r{};
         GetClientRect(w, &r);
         MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
         Print(L"client " + Rect(r));
         Print(std::wstring(L"state zoomed ") + (IsZoomed(w) ? L"1" : L"0") + L" iconic " +
               (IsIconic(w) ? L"1" : L"0"));
         for (const HWND child : Windows(w))
             if (IsWindowVisible(child) && GetWindowRect(child, &r))
                 Print(std::to_wstring(GetDlgCtrlID(child)) + L" " + ClassOf(child) + L" " +
                       Rect(r));
     }},
    // Waits until each visible window has handled what it was sent and painted
    // what was pending (the second answer comes from its message loop, where
    // Wine hands the painting to X), so a screenshot takes what the user sees.
    {L"childpost WINDOW ID MSG [WPARAM] [LPARAM]", // PostMessageW to a control.
     [](const Args& a) {
         Post(a.Control(1), MessageNumber(a[3]), static_cast<WPARAM>(a.Opt(4, 0)),
              static_cast<LPARAM>(a.Opt(5, 0)));
     }},
    // Drops FILE at the window's centre as the shell does: WM_DROPFILES to the
    // first window there, or its ancestor, that accepts files.
    {L"drop WINDOW FILE", [](const Args& a) { DropFile(a.Window(1), a[2]); }},
    // Saves a shortcut (.lnk) as the shell makes one; SHOW is its show command.
    {L"shortcut FILE TARGET [ARGS] [FOLDER] [SHOW]", [](const Args& a) { SaveShortcut(a); }},
    {L"settle",
     [](const Args&) {
         for (const HWND w : Windows(nullptr)) {
             DWORD_PTR ignored = 0;
             if (!IsWindowVisible(w)) continue;
             SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
             RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
             SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
         }
     }},
};

} // namespace

const std::span<const Command> driver::kWindowCommands = kCommands;
