// Commands on the keyboard: keys pressed through SendInput, as the system's
// input queue sees a keyboard, the key state, the focus and key names.
#include "Driver.h"

#include <chrono>
#include <cwctype>

using namespace driver;

namespace {

// KEY is ctrl, shift, alt, win, a letter or digit, f1..f24, or a vk number.
WORD KeyCode(std::wstring key) {
    for (auto& c : key)
        c = static_cast<wchar_t>(std::towlower(c));
    if (key == L"ctrl" || key == L"control") return VK_CONTROL;
    if (key == L"shift") return VK_SHIFT;
    if (key == L"alt") return VK_MENU;
    if (key == L"win") return VK_LWIN;
    if (key.size() == 1 && std::iswalnum(key[0])) return static_cast<WORD>(std::towupper(key[0]));
    if (key.size() >= 2 && key[0] == L'f' && std::iswdigit(key[1])) {
        const auto n = Number(key.substr(1));
        if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
    }
    const auto n = Number(key);
    if (n < 1 || n > 254) Fail(L"bad key " + key);
    return static_cast<WORD>(n);
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{INPUT_KEYBOARD, {}};
    in.ki = {vk, static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0u,
             0, 0};
    return in;
}

void SendInputs(std::vector<INPUT> inputs) {
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        Fail(L"SendInput failed");
}

std::chrono::steady_clock::time_point mark = std::chrono::steady_clock::now();

const Command kCommands[] = {
    {L"keys KEY+KEY+... [COUNT]", // Pressed in order, released in reverse, COUNT times.
     [](const Args& a) {
         std::vector<INPUT> inputs;
         const auto keys = Split(a[1], L'+');
         for (auto it = keys.begin(); it != keys.end(); ++it)
             inputs.push_back(KeyInput(KeyCode(*it), false));
         for (auto it = keys.rbegin(); it != keys.rend(); ++it)
             inputs.push_back(KeyInput(KeyCode(*it), true));
         for (auto n = a.Opt(2, 1); n > 0; --n)
             SendInputs(inputs);
     }},
    // One key's press, or its release.
    {L"keydown KEY", [](const Args& a) { SendInputs({KeyInput(KeyCode(a[1]), false)}); }},
    {L"keyup KEY", [](const Args& a) { SendInputs({KeyInput(KeyCode(a[1]), true)}); }},
    {L"keystate KEY", // Prints "down 1" or "down 0": the system's key state.
     [](const Args& a) {
         Print((GetAsyncKeyState(KeyCode(a[1])) & 0x8000) ? L"down 1" : L"down 0");
     }},
    {L"held", // Prints "held" and the hex code of every key the system holds down.
     [](const Args&) {
         std::wstring line = L"held";
         wchar_t code[8];
         for (int vk = 1; vk < 255; ++vk)
             if (GetAsyncKeyState(vk) & 0x8000) {
                 std::swprintf(code, 8, L" 0x%02X", vk);
                 line += code;
             }
         Print(line);
     }},
    // Holds whatever is down for TIME, as a user's hand stays on the keys.
    {L"pause TIME", [](const Args& a) { Sleep(static_cast<DWORD>(a.Opt(1, 0))); }},
    {L"mark", [](const Args&) { mark = std::chrono::steady_clock::now(); }},
    // The file's text as a keyboard types it, and as another program types it
    // fast: every character as Unicode input, a line break (CR LF) as Enter,
    // each pressed and released, all in one SendInput call.
    {L"type FILE",
     [](const Args& a) {
         const std::wstring text = FileText(a[1]);
         std::vector<INPUT> inputs;
         for (std::size_t i = 0; i < text.size(); ++i) {
             if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                 inputs.push_back(KeyInput(VK_RETURN, false));
                 inputs.push_back(KeyInput(VK_RETURN, true));
                 ++i;
                 continue;
             }
             for (const DWORD up : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
                 INPUT in{INPUT_KEYBOARD, {}};
                 in.ki = {0, text[i], KEYEVENTF_UNICODE | up, 0, 0};
                 inputs.push_back(in);
             }
         }
         SendInputs(std::move(inputs));
     }},
    // Waits until the control holds at least LENGTH characters; prints "ms T",
    // the time since the last mark.
    {L"waitlength WINDOW ID LENGTH [TIMEOUT]",
     [](const Args& a) {
         const HWND c = a.Control(1);
         const auto length = static_cast<DWORD_PTR>(a.Opt(3, 0));
         if (!WaitFor(a.Timeout(4), [&] { return Send(c, WM_GETTEXTLENGTH) >= length; }))
             Fail(L"the text stayed shorter than " + a[3]);
         const std::chrono::duration<double, std::milli> took =
             std::chrono::steady_clock::now() - mark;
         Print(L"ms " + std::to_wstring(took.count()));
     }},
    {L"setfocus WINDOW ID", // Moves a dialog's focus to the control, as Tab would; waits for it.
     [](const Args& a) {
         const HWND control = a.Control(1);
         Post(a.Window(1), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
         GUITHREADINFO gui{};
         gui.cbSize = sizeof gui;
         if (!WaitFor(a.Timeout(3), [&] {
                 return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &gui) &&
                        gui.hwndFocus == control;
             }))
             Fail(L"the control did not take the focus");
     }},
    {L"focus WINDOW", // Prints "focus ID", the focused control of its thread (0: none).
     [](const Args& a) {
         GUITHREADINFO gui{};
         gui.cbSize = sizeof gui;
         if (!GetGUIThreadInfo(GetWindowThreadProcessId(a.Window(1), nullptr), &gui))
             Fail(L"GetGUIThreadInfo failed");
         Print(L"focus " + std::to_wstring(gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0));
     }},
    {L"keyname VK [extended]", // Prints GetKeyNameTextW's name of the key.
     [](const Args& a) {
         LONG scan = static_cast<LONG>(MapVirtualKeyW(a.Int(1), MAPVK_VK_TO_VSC)) << 16;
         if (a.Is(2, L"extended")) scan |= 1 << 24;
         wchar_t name[128] = {};
         GetKeyNameTextW(scan, name, 128);
         Print(name);
     }},
};

} // namespace

const std::span<const Command> driver::kKeyCommands = kCommands;
