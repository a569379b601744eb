// Commands on windows and their controls: waiting for them, messages to
// them, and what they show.
#include "Driver.h"

namespace driver {
namespace {

// Returns once the window has handled what was sent to it before and has
// painted what was pending. The second answer comes from its message loop,
// where Wine hands the painted window to the X server.
void Settle(HWND w, bool mustAnswer) {
    DWORD_PTR ignored = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored) && mustAnswer)
            Fail(L"the window does not answer");
        if (pass == 0) RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

BOOL CALLBACK PrintChild(HWND w, LPARAM) {
    Print(std::to_wstring(GetDlgCtrlID(w)) + L"\t" + ClassOf(w) + L"\t" + WindowText(w));
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND w, LPARAM) {
    wchar_t caption[512] = {};
    GetWindowTextW(w, caption, 512);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    Print(std::to_wstring(pid) + L"\t" + std::to_wstring(IsWindowVisible(w) ? 1 : 0) + L"\t" +
          ClassOf(w) + L"\t" + caption);
    return TRUE;
}

BOOL CALLBACK PrintPlace(HWND w, LPARAM) {
    RECT r{};
    if (IsWindowVisible(w) && GetWindowRect(w, &r))
        Print(std::to_wstring(GetDlgCtrlID(w)) + L" " + ClassOf(w) + L" " + Rect(r));
    return TRUE;
}

void PostOrSend(const Args& a, bool post) {
    const HWND w = a.Window(1);
    const UINT message = MessageNumber(a[2]);
    const auto wParam = static_cast<WPARAM>(a.Opt(3, 0));
    const auto lParam = static_cast<LPARAM>(a.Opt(4, 0));
    if (post)
        Post(w, message, wParam, lParam);
    else
        Print(L"result " + std::to_wstring(Send(w, message, wParam, lParam)));
}

const Command kCommands[] = {
    // Waits until it exists; prints "hwnd H pid P visible V".
    {L"find", L"WINDOW [TIMEOUT]",
     [](const Args& a) {
         HWND w = nullptr;
         if (!WaitFor(a.Timeout(2), [&] { return (w = FindTopLevel(a[1])) != nullptr; }))
             Fail(L"timed out waiting for window " + a[1]);
         DWORD pid = 0;
         GetWindowThreadProcessId(w, &pid);
         Print(L"hwnd " + std::to_wstring(reinterpret_cast<UINT_PTR>(w)) + L" pid " +
               std::to_wstring(pid) + L" visible " + std::to_wstring(IsWindowVisible(w) ? 1 : 0));
     }},
    // Waits until no such window exists.
    {L"gone", L"WINDOW [TIMEOUT]",
     [](const Args& a) {
         if (!WaitFor(a.Timeout(2), [&] { return FindTopLevel(a[1]) == nullptr; }))
             Fail(L"timed out waiting for window to go: " + a[1]);
         Print(L"gone");
     }},
    // PostMessageW; MSG is a number or a WM_ name.
    {L"post", L"WINDOW MSG [WPARAM] [LPARAM]", [](const Args& a) { PostOrSend(a, true); }},
    // SendMessageTimeoutW; prints "result R".
    {L"send", L"WINDOW MSG [WPARAM] [LPARAM]", [](const Args& a) { PostOrSend(a, false); }},
    // A message without pointers to a control; prints "result R".
    {L"childsend", L"WINDOW ID MSG [WPARAM] [LPARAM]",
     [](const Args& a) {
         Print(L"result " + std::to_wstring(Send(a.Control(1), MessageNumber(a[3]),
                                                 static_cast<WPARAM>(a.Opt(4, 0)),
                                                 static_cast<LPARAM>(a.Opt(5, 0)))));
     }},
    // Posts WM_CLOSE, as taskkill without /F does.
    {L"close", L"WINDOW", [](const Args& a) { Post(a.Window(1), WM_CLOSE); }},
    // Posts WM_COMMAND with ID.
    {L"command", L"WINDOW ID",
     [](const Args& a) { Post(a.Window(1), WM_COMMAND, static_cast<WPARAM>(a.Int(2))); }},
    // Posts BM_CLICK to the control.
    {L"click", L"WINDOW ID", [](const Args& a) { Post(a.Control(1), BM_CLICK); }},
    // Posts the tray icon's callback message with LPARAM (a mouse message).
    {L"tray", L"WINDOW LPARAM",
     [](const Args& a) { Post(a.Window(1), WM_USER + 1, 1, static_cast<LPARAM>(a.Int(2))); }},
    // Sends WM_QUERYENDSESSION, then WM_ENDSESSION with its answer; prints
    // "query R".
    {L"endsession", L"WINDOW [logoff]",
     [](const Args& a) {
         const HWND w = a.Window(1);
         const LPARAM reason = a.Is(2, L"logoff") ? ENDSESSION_LOGOFF : 0;
         const DWORD_PTR query = Send(w, WM_QUERYENDSESSION, 0, reason);
         Print(L"query " + std::to_wstring(query));
         Send(w, WM_ENDSESSION, query ? TRUE : FALSE, reason);
     }},
    // WM_SETTEXT to a control (the system carries the string across); prints
    // "ms T", the time the control's window took to take it and answer.
    {L"settext", L"WINDOW ID TEXT",
     [](const Args& a) {
         const HWND c = a.Control(1);
         LARGE_INTEGER frequency{}, began{}, ended{};
         QueryPerformanceFrequency(&frequency);
         QueryPerformanceCounter(&began);
         Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()));
         QueryPerformanceCounter(&ended);
         Print(L"ms " + std::to_wstring((ended.QuadPart - began.QuadPart) * 1000.0 /
                                        static_cast<double>(frequency.QuadPart)));
     }},
    // Prints the window's (or the control's) text.
    {L"text", L"WINDOW [ID]",
     [](const Args& a) { Print(WindowText(a.Has(2) ? a.Control(1) : a.Window(1))); }},
    // Prints each descendant control: id, class, text (tab-separated).
    {L"children", L"WINDOW", [](const Args& a) { EnumChildWindows(a.Window(1), PrintChild, 0); }},
    // Prints every top-level window: pid, visible, class, caption (for
    // diagnosis).
    {L"list", L"", [](const Args&) { EnumWindows(PrintTopLevel, 0); }},
    // Moves and sizes a top-level window.
    {L"place", L"WINDOW X Y W H",
     [](const Args& a) {
         if (!SetWindowPos(a.Window(1), nullptr, static_cast<int>(a.Int(2)),
                           static_cast<int>(a.Int(3)), static_cast<int>(a.Int(4)),
                           static_cast<int>(a.Int(5)), SWP_NOZORDER | SWP_NOACTIVATE))
             Fail(L"SetWindowPos failed");
     }},
    // Prints the window's left, top, right and bottom.
    {L"rect", L"WINDOW",
     [](const Args& a) {
         RECT r{};
         if (!GetWindowRect(a.Window(1), &r)) Fail(L"GetWindowRect failed");
         Print(Rect(r));
     }},
    // Prints "client L T R B" (screen coordinates), "state zoomed Z iconic
    // I", then each visible descendant: "ID CLASS L T R B".
    {L"layout", L"WINDOW",
     [](const Args& a) {
         const HWND w = a.Window(1);
         RECT c{};
         GetClientRect(w, &c);
         MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&c), 2);
         Print(L"client " + Rect(c));
         Print(L"state zoomed " + std::to_wstring(IsZoomed(w) ? 1 : 0) + L" iconic " +
               std::to_wstring(IsIconic(w) ? 1 : 0));
         EnumChildWindows(w, PrintPlace, 0);
     }},
    // Waits until the window (without one: every visible top-level window)
    // has handled what it was sent and painted what was pending: what a
    // screenshot then takes is what the user sees.
    {L"settle", L"[WINDOW]",
     [](const Args& a) {
         if (a.Has(1)) return Settle(a.Window(1), true);
         std::vector<HWND> shown;
         EnumWindows(
             [](HWND w, LPARAM p) -> BOOL {
                 if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
                 return TRUE;
             },
             reinterpret_cast<LPARAM>(&shown));
         for (const HWND w : shown)
             Settle(w, false);
     }},
};

} // namespace

std::span<const Command> WindowCommands() {
    return kCommands;
}

} // namespace driver
