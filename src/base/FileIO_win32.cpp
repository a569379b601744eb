// Windows binding of the whole-file read and the atomic write.
#include "base/FileIO.h"

#include "base/WinText.h"
#include "base/Errors.h"
#include "base/Text.h"

#include <windows.h>

#include <algorithm>

namespace keyvane {
namespace {

[[noreturn]] void Fail(const std::u16string& path, const char* what, DWORD err) {
    throw IoError(std::string(what) + " \"" + ToUtf8(path) + "\". " + SystemErrorText(err));
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close() {
        const bool ok = !valid() || CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE h_;
};

// Puts temp in place of path. A virus scanner, the search indexer or a sync
// client opens a file just written for a moment, and the replace then fails
// with a sharing or lock violation or access denied: those are tried again
// for about two seconds before they count. False with the last error set.
bool ReplaceWhenFree(const std::u16string& temp, const std::u16string& path) {
    DWORD waited = 0;
    for (DWORD pause = 25;; pause = std::min<DWORD>(pause * 2, 400)) {
        if (MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD err = GetLastError();
        const bool busy = err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION ||
                          err == ERROR_ACCESS_DENIED;
        if (!busy || waited >= 2000) {
            SetLastError(err);
            return false;
        }
        Sleep(pause);
        waited += pause;
    }
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) {
    // FILE_SHARE_DELETE: a second copy of the program may replace the file
    // (the last step of its save) while we read; we keep the old contents.
    Handle file(CreateFileW(W(path), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) Fail(path, "Cannot open file", GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) Fail(path, "Cannot read file", GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        throw FileTooLargeError("File too large \"" + ToUtf8(path) + "\". " +
                                SystemErrorText(ERROR_FILE_TOO_LARGE));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n,
                      nullptr))
            Fail(path, "Cannot read file", GetLastError());
        if (n == 0) break; // the file shrank while we read it
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

void WriteFileAtomically(const std::u16string& path, std::span<const std::uint8_t> bytes,
                         MissingFolder missingFolder) {
    const auto slash = path.find_last_of(u"\\/");
    if (missingFolder == MissingFolder::Create && slash != std::u16string::npos && slash > 0) {
        const std::u16string dir = path.substr(0, slash);
        if (!CreateDirectoryW(W(dir), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            Fail(path, "Cannot create folder for", GetLastError());
    }
    // A read-only task list is the user's way of saying "keep it as it is".
    // Windows refuses to replace it, but not every implementation of the
    // call does (Wine replaces it), so ask first.
    const DWORD attributes = GetFileAttributesW(W(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        Fail(path, "Cannot write file", ERROR_ACCESS_DENIED);
    // A per-process name, so a second copy of the program saving at the same
    // moment cannot write into our half-finished file.
    const std::u16string temp =
        path + u"." + FromUtf8(std::to_string(GetCurrentProcessId())) + u".tmp";
    {
        Handle file(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) Fail(path, "Cannot create file", GetLastError());
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD n = 0;
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            const BOOL wrote = WriteFile(file.get(), bytes.data() + done, chunk, &n, nullptr);
            if (!wrote || n == 0) {
                // Nothing written without an error code: say so, not "success".
                const DWORD err = wrote ? ERROR_WRITE_FAULT : GetLastError();
                file.close();
                DeleteFileW(W(temp));
                Fail(path, "Cannot write file", err);
            }
            done += n;
        }
        if (!FlushFileBuffers(file.get()) || !file.close()) {
            const DWORD err = GetLastError();
            file.close();
            DeleteFileW(W(temp));
            Fail(path, "Cannot write file", err);
        }
    }
    if (!ReplaceWhenFree(temp, path)) {
        const DWORD err = GetLastError();
        DeleteFileW(W(temp));
        Fail(path, "Cannot write file", err);
    }
}

bool FileExists(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int RemoveLeftoverTempFiles(const std::u16string& path) {
    const auto slash = path.find_last_of(u"\\/");
    const std::u16string folder = slash == std::u16string::npos ? u"" : path.substr(0, slash + 1);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(W(path + u".*.tmp"), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        const std::u16string name = FromWide(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsLeftoverTempName(path.substr(folder.size()), name) && DeleteFileW(W(folder + name)))
            ++removed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}

bool MoveFileNoReplace(const std::u16string& from, const std::u16string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the call refuses an existing target.
    if (MoveFileExW(W(from), W(to), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD err = GetLastError();
    if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) return false;
    Fail(from, "Cannot move file", err);
}

} // namespace keyvane
