// The Windows file binding: what the system itself refuses must fail the
// save and leave the old file, and nothing may be left behind.
#include "base/FileIO.h"

#include "TestFiles.h"
#include "tasks/TaskTable.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace keyvane {
namespace {

int EntriesIn(const std::filesystem::path& dir) {
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++entries;
    return entries;
}

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

} // namespace
} // namespace keyvane
