// The Windows file binding: what the system itself refuses must fail the
// save and leave the old file, and nothing may be left behind.
#include "base/FileIO.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace keyvane {
namespace {

int EntriesIn(const std::filesystem::path& dir) {
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++entries;
    return entries;
}

std::set<std::wstring> NamesIn(const std::filesystem::path& dir) {
    std::set<std::wstring> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().wstring());
    return names;
}

// The message of the IoError the call throws; empty when it throws none.
template <class Call> std::string IoErrorOf(Call call) {
    try {
        call();
    } catch (const IoError& e) {
        return e.what();
    }
    return {};
}

// The name the save gives its temporary file: beside the target, per process.
std::filesystem::path TemporaryNameOf(const std::filesystem::path& file) {
    return file.wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
}

const std::vector<std::uint8_t> kOld = {0xFF, 0xFE, '1', 0};
const std::vector<std::uint8_t> kNew = {0xFF, 0xFE, '2', 0};

TEST(FileIO, ReadOnlyTaskListIsNotReplaced) {
    test::TempFolder dir;
    const auto file = dir / "actions.cfg";
    const std::vector<std::uint8_t> old = {0xFF, 0xFE, '1', 0};
    test::WriteBytes(file, old);
    const std::wstring wide = file.wstring();
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_THROW(WriteFileAtomically(test::U16Path(file), std::vector<std::uint8_t>{0xFF, 0xFE}),
                 IoError);
    EXPECT_EQ(test::ReadBytes(file), old);
    EXPECT_EQ(EntriesIn(dir.path()), 1) << "the temporary file is removed";
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL); // so the folder can go
}

TEST(FileIO, SaveThatCannotCreateItsTemporaryFileKeepsTheOldFile) {
    // A folder, or a file open elsewhere and shared with nobody, at the
    // temporary name. (Wine lets a new file replace a read-only one there, so
    // a read-only file would not stop the save under Wine.)
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "folder" : "open file");
        test::TempFolder dir;
        const auto file = dir / "actions.cfg";
        test::WriteBytes(file, kOld);
        const auto temporary = TemporaryNameOf(file);
        const std::vector<std::uint8_t> theirs = {'x'};
        HANDLE held = INVALID_HANDLE_VALUE;
        if (folder) {
            ASSERT_TRUE(std::filesystem::create_directory(temporary));
        } else {
            test::WriteBytes(temporary, theirs);
            held = CreateFileW(temporary.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }

        const std::string error =
            IoErrorOf([&] { WriteFileAtomically(test::U16Path(file), kNew); });
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_NE(error.find(file.string()), std::string::npos) << error;
        EXPECT_EQ(test::ReadBytes(file), kOld);
        // What stood in the way is not ours to remove, and nothing else is left.
        EXPECT_EQ(NamesIn(dir.path()),
                  (std::set<std::wstring>{L"actions.cfg", temporary.filename().wstring()}));
        if (folder)
            EXPECT_TRUE(std::filesystem::is_directory(temporary));
        else
            EXPECT_EQ(test::ReadBytes(temporary), theirs);
    }
}

TEST(FileIO, SaveWhoseFinalMoveFailsKeepsTheOldFile) {
    // The target is a folder (with something in it).
    {
        test::TempFolder dir;
        const auto target = dir / "actions.cfg";
        std::filesystem::create_directory(target);
        test::WriteBytes(target / "inside", kOld);

        const std::string error =
            IoErrorOf([&] { WriteFileAtomically(test::U16Path(target), kNew); });
        EXPECT_NE(error.find(target.string()), std::string::npos) << error;
        EXPECT_TRUE(std::filesystem::is_directory(target));
        EXPECT_EQ(test::ReadBytes(target / "inside"), kOld);
        EXPECT_EQ(NamesIn(dir.path()), std::set<std::wstring>{L"actions.cfg"})
            << "the temporary file is removed";
    }
    // The target is open elsewhere without delete sharing: it cannot be
    // replaced while that handle lives.
    {
        test::TempFolder dir;
        const auto file = dir / "actions.cfg";
        test::WriteBytes(file, kOld);
        const HANDLE reader =
            CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);

        const std::string error =
            IoErrorOf([&] { WriteFileAtomically(test::U16Path(file), kNew); });
        CloseHandle(reader);
        EXPECT_NE(error.find(file.string()), std::string::npos) << error;
        EXPECT_EQ(test::ReadBytes(file), kOld);
        EXPECT_EQ(NamesIn(dir.path()), std::set<std::wstring>{L"actions.cfg"})
            << "the temporary file is removed";
    }
}

TEST(FileIO, MoveFileNoReplaceNeverReplaces) {
    test::TempFolder dir;
    const auto from = dir / "actions.cfg";
    const auto taken = dir / "actions.cfg.bak";
    const auto free = dir / "actions.cfg.1.bak";
    test::WriteBytes(from, kNew);
    test::WriteBytes(taken, kOld);

    EXPECT_FALSE(MoveFileNoReplace(test::U16Path(from), test::U16Path(taken)));
    EXPECT_EQ(test::ReadBytes(taken), kOld) << "an earlier rescue is kept";
    EXPECT_EQ(test::ReadBytes(from), kNew);

    EXPECT_TRUE(MoveFileNoReplace(test::U16Path(from), test::U16Path(free)));
    EXPECT_EQ(test::ReadBytes(free), kNew);
    EXPECT_FALSE(std::filesystem::exists(from));

    // Any other failure is an error that names the file.
    const std::string error =
        IoErrorOf([&] { MoveFileNoReplace(test::U16Path(from), test::U16Path(dir / "other")); });
    EXPECT_NE(error.find(from.string()), std::string::npos) << error;
}

} // namespace
} // namespace keyvane
