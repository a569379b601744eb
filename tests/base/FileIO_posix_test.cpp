#include "base/FileIO.h"

#include "TestFiles.h"
#include "tasks/TaskTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace keyvane {
namespace {

// A disk that fills up in the middle of a save must not cost the old file:
// a file-size limit makes the write fail the same way, even for root.
TEST(FileIO, FullDiskLeavesThePreviousFile) {
    test::TempFolder dir;
    const auto file = dir / "actions.cfg";
    const std::vector<std::uint8_t> old = {0xFF, 0xFE, '1', 0};
    test::WriteBytes(file, old);

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::vector<std::uint8_t> big(64 * 1024, 'x');
    bool threw = false;
    try {
        WriteFileAtomically(test::U16Path(file), big);
    } catch (const IoError& e) {
        threw = true;
        EXPECT_NE(std::string(e.what()).find("actions.cfg"), std::string::npos) << e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(threw);
    EXPECT_EQ(test::ReadBytes(file), old);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "the temporary file is removed";
}

TEST(FileIO, OversizedFileIsRefused) {
    test::TempFolder dir;
    const auto file = dir / "huge.cfg";
    std::filesystem::path p = file;
    { std::ofstream out(p, std::ios::binary); }
    ASSERT_EQ(kMaxDataFileBytes, 64u * 1024 * 1024);
    std::filesystem::resize_file(p, kMaxDataFileBytes + 1); // sparse, costs no disk
    EXPECT_THROW(ReadWholeFile(test::U16Path(file)), IoError);
}

} // namespace
} // namespace keyvane
