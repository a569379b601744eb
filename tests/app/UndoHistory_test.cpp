// The history's bounds: steps and bytes, oldest dropped first.
#include "app/UndoHistory.h"

#include <gtest/gtest.h>

namespace keyvane {
namespace {

UndoHistory::Bytes Table(int n, std::size_t size = 1) {
    return UndoHistory::Bytes(size, static_cast<std::uint8_t>(n));
}

TEST(UndoHistory, KeepsTheNewestStepsWithinItsDepthAndBytes) {
    UndoHistory history;
    for (int n = 0; n < 60; ++n)
        history.Record(u"Move", Table(n));
    EXPECT_EQ(history.undoCount(), UndoHistory::kMaxSteps);
    UndoHistory::Bytes table = Table(60);
    for (std::size_t i = 0; i < UndoHistory::kMaxSteps; ++i)
        table = history.Undo(std::move(table));
    EXPECT_EQ(table, Table(10)) << "the ten oldest steps went";
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.Undo(Table(99)), Table(99)) << "nothing to undo changes nothing";

    // 100 bytes at most: three steps of 40 keep the newest two.
    UndoHistory small(50, 100);
    for (int n = 0; n < 3; ++n)
        small.Record(u"Sort", Table(n, 40));
    EXPECT_EQ(small.undoCount(), 2u);
    EXPECT_EQ(small.bytes(), 80u);
    small.Record(u"Delete All", Table(3, 500));
    EXPECT_EQ(small.undoCount(), 1u) << "one step is kept whatever its size";
    EXPECT_EQ(small.undoName(), u"Delete All");
    EXPECT_EQ(small.Undo(Table(4, 10)), Table(3, 500));
    EXPECT_EQ(small.bytes(), 10u);
    EXPECT_EQ(small.redoName(), u"Delete All");
}

} // namespace
} // namespace keyvane
