#include "windows/CommandLineUser.h"

#include "base/AppInfo.h"
#include "base/Text.h"
#include "base/WinText.h"

#include <windows.h>

namespace keyvane {
namespace {

std::u16string WithCrLf(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\n') out += u'\r';
        out += c;
    }
    return out + u"\r\n";
}

} // namespace

void TellCommandLineUser(const std::u16string& text, TellAs as) {
    if (text.empty()) return;
    const std::u16string lines = WithCrLf(text);
    // A program of the windows subsystem gets the handles a script
    // redirected (cmd's >file or 2>file, a pipe); a console it must attach to.
    HANDLE out = GetStdHandle(as == TellAs::Help ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    const DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
    // Help sent to a device (>nul) is what was asked for: no box then.
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ||
        (as == TellAs::Help && type == FILE_TYPE_CHAR)) {
        const std::string bytes = ToUtf8(lines);
        DWORD written = 0;
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return;
    }
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            // The prompt was printed when the program started: begin below it.
            const std::u16string shown = u"\r\n" + lines;
            DWORD written = 0;
            WriteConsoleW(console, W(shown), static_cast<DWORD>(shown.size()), &written, nullptr);
            CloseHandle(console);
            FreeConsole();
            return;
        }
        FreeConsole();
    }
    if (as != TellAs::Outcome)
        MessageBoxW(nullptr, W(text), W(std::u16string(kApplicationTitle)),
                    MB_OK | (as == TellAs::Help ? MB_ICONINFORMATION : MB_ICONWARNING));
}

} // namespace keyvane
