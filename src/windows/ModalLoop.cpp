#include "windows/ModalLoop.h"

#include "base/AppInfo.h"
#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

namespace keyvane {
namespace {

int gDepth = 0;

BOOL CALLBACK FindModal(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    // Dialogs, message boxes and file dialogs are all of the dialog class;
    // the innermost one is the one still enabled.
    if (IsWindowVisible(window) && IsWindowEnabled(window) && std::wstring(cls) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ModalScope::ModalScope() {
    ++gDepth;
}

ModalScope::~ModalScope() {
    --gDepth;
}

bool ModalOpen() {
    return gDepth > 0;
}

void RunModal(HWND dialog, HWND owner, const bool& done) {
    ModalScope scope;
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    MSG msg{};
    while (!done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the outer loop
            break;
        }
        if (got == -1) break;
        if (IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Enable the owner before hiding, so the focus returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    ShowWindow(dialog, SW_HIDE);
}

HWND FindOpenModal() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindModal, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool FrontOpenModal() {
    if (!ModalOpen()) return false;
    if (HWND modal = FindOpenModal()) {
        if (IsIconic(modal)) ShowWindow(modal, SW_RESTORE);
        SetForegroundWindow(modal);
    }
    return true;
}

void CloseOpenModal() {
    if (HWND modal = FindOpenModal()) PostMessageW(modal, WM_CLOSE, 0, 0);
}

bool AskOpenFile(HWND owner, const wchar_t* filter, std::u16string& path) {
    // Room for any path Windows allows, not only MAX_PATH.
    std::vector<wchar_t> buffer(32768, L'\0');
    const std::wstring start = ToWide(path);
    std::copy_n(start.c_str(), std::min(start.size(), buffer.size() - 1), buffer.data());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    // comdlg32 on first use only; the dialog's shell view needs an apartment.
    static auto* const open =
        SystemFunction<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open) return false;
    EnterComApartment();
    ModalScope scope;
    if (!open(&dialog)) return false;
    path = FromWide(buffer.data());
    return true;
}

int ModalMessageBox(HWND owner, const wchar_t* text, UINT flags) {
    ModalScope scope;
    const std::wstring caption = ToWide(kApplicationTitle);
    return MessageBoxW(owner, text, caption.c_str(), flags);
}

} // namespace keyvane
