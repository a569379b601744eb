// POSIX stand-in for the Windows file binding, so the core's file handling
// runs in the native tests. Backslashes are taken as path separators so the
// program's own "\data\actions.cfg" suffix works here too.
#include "base/FileIO.h"

#include "base/Errors.h"
#include "base/Text.h"

#include <cerrno>
#include <dirent.h>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keyvane {
namespace {

std::string NativePath(const std::u16string& path) {
    std::string p = ToUtf8(path);
    for (auto& c : p)
        if (c == '\\') c = '/';
    return p;
}

[[noreturn]] void Fail(const std::u16string& path, const char* what, int err) {
    throw IoError(std::string(what) + " \"" + ToUtf8(path) + "\". " +
                  SystemErrorText(static_cast<std::uint32_t>(err)));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path, std::uint64_t maxBytes) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(path, "Cannot open file", errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        Fail(path, "Cannot read file", err);
    }
    if (!S_ISREG(st.st_mode)) { // a folder or a device is no data file (a pipe would block)
        ::close(fd);
        Fail(path, "Cannot read file", EISDIR);
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        throw FileTooLargeError("File too large \"" + ToUtf8(path) + "\". " +
                                SystemErrorText(EFBIG));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            Fail(path, "Cannot read file", err);
        }
        if (n == 0) break; // the file shrank while we read it
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    ::close(fd);
    return bytes;
}

void WriteFileAtomically(const std::u16string& path, std::span<const std::uint8_t> bytes,
                         MissingFolder missingFolder) {
    const std::string target = NativePath(path);
    const auto slash = target.rfind('/');
    if (missingFolder == MissingFolder::Create && slash != std::string::npos && slash > 0) {
        const std::string dir = target.substr(0, slash);
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
            Fail(path, "Cannot create folder for", errno);
    }
    const std::string temp = target + "." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail(path, "Cannot create file", errno);
    if (!WriteAll(fd, bytes.data(), bytes.size()) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(path, "Cannot write file", err);
    }
    if (::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail(path, "Cannot write file", err);
    }
}

bool FileExists(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int RemoveLeftoverTempFiles(const std::u16string& path) {
    const std::string target = NativePath(path);
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::u16string base =
        FromUtf8(slash == std::string::npos ? target : target.substr(slash + 1));
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (IsLeftoverTempName(base, FromUtf8(name)) &&
            ::unlink((folder + "/" + name).c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

bool MoveFileNoReplace(const std::u16string& from, const std::u16string& to) {
    // link() fails when the target exists, so no window lets another file
    // appear there between a check and the rename.
    if (::link(NativePath(from).c_str(), NativePath(to).c_str()) != 0) {
        if (errno == EEXIST) return false;
        Fail(from, "Cannot move file", errno);
    }
    if (::unlink(NativePath(from).c_str()) != 0) Fail(from, "Cannot move file", errno);
    return true;
}

} // namespace keyvane
