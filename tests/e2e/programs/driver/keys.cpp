// Commands on the keyboard: keys pressed through SendInput, as the system's
// input queue sees a keyboard, the key state, the focus and key names.
#include "Driver.h"

#include <cwctype>

namespace driver {
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
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

void SendInputs(std::vector<INPUT> inputs) {
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        Fail(L"SendInput failed");
}

// Presses the keys in order and releases them in reverse.
void PressKeys(const std::wstring& combo) {
    std::vector<WORD> keys;
    for (std::size_t start = 0;;) {
        const auto plus = combo.find(L'+', start);
        keys.push_back(KeyCode(combo.substr(start, plus - start)));
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    std::vector<INPUT> inputs;
    for (const WORD k : keys)
        inputs.push_back(KeyInput(k, false));
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        inputs.push_back(KeyInput(*it, true));
    SendInputs(inputs);
}

const Command kCommands[] = {
    // Presses KEY+KEY+... COUNT times (once without it).
    {L"keys", L"KEY+KEY+... [COUNT]",
     [](const Args& a) {
         for (auto n = a.Opt(2, 1); n > 0; --n)
             PressKeys(a[1]);
     }},
    // One key's press, or its release.
    {L"keydown", L"KEY", [](const Args& a) { SendInputs({KeyInput(KeyCode(a[1]), false)}); }},
    {L"keyup", L"KEY", [](const Args& a) { SendInputs({KeyInput(KeyCode(a[1]), true)}); }},
    // Prints "down 1" or "down 0": the system's key state.
    {L"keystate", L"KEY",
     [](const Args& a) {
         const bool down = (GetAsyncKeyState(KeyCode(a[1])) & 0x8000) != 0;
         Print(L"down " + std::to_wstring(down ? 1 : 0));
     }},
    // Prints "focus ID", the control of the window's thread that has the
    // keyboard focus (0: none).
    {L"focus", L"WINDOW",
     [](const Args& a) {
         GUITHREADINFO gui{};
         gui.cbSize = sizeof gui;
         if (!GetGUIThreadInfo(GetWindowThreadProcessId(a.Window(1), nullptr), &gui))
             Fail(L"GetGUIThreadInfo failed");
         Print(L"focus " + std::to_wstring(gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0));
     }},
    // Prints GetKeyNameTextW's name of the key.
    {L"keyname", L"VK [extended]",
     [](const Args& a) {
         LONG scan = static_cast<LONG>(MapVirtualKeyW(static_cast<UINT>(a.Int(1)), MAPVK_VK_TO_VSC))
                     << 16;
         if (a.Is(2, L"extended")) scan |= 1 << 24;
         wchar_t name[128] = {};
         GetKeyNameTextW(scan, name, 128);
         Print(name);
     }},
};

} // namespace

std::span<const Command> KeyCommands() {
    return kCommands;
}

} // namespace driver
