#include "base/ErrorReport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {
namespace {

// Records the reports instead of showing them, for one test.
class ErrorReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ =
            SetErrorReportSink([this](std::u16string_view text) { reports.emplace_back(text); });
    }
    void TearDown() override { SetErrorReportSink(std::move(previous_)); }

    std::vector<std::u16string> reports;

  private:
    ErrorReportSink previous_;
};

TEST_F(ErrorReportTest, HandlerResultPassesThroughWithoutReport) {
    EXPECT_EQ(Guarded(0, [] { return 42; }), 42);
    EXPECT_TRUE(reports.empty());
}

TEST_F(ErrorReportTest, FailureIsReportedOnceAndTheCallerGoesOn) {
    EXPECT_EQ(Guarded(-1, []() -> int { throw std::runtime_error("Cannot open file \"x\"."); }),
              -1);
    Guarded([] { throw std::logic_error("second"); });
    EXPECT_EQ(reports, (std::vector<std::u16string>{u"Cannot open file \"x\".", u"second"}));
}

TEST_F(ErrorReportTest, MessageTextIsDecodedFromUtf8) {
    struct Case {
        std::string what;
        std::u16string shown;
    } cases[] = {
        {"D:\\Pr\xc3\xb6gramme", u"D:\\Pr\u00f6gramme"},
        {"\xe6\x97\xa5\xe6\x9c\xac", u"\u65e5\u672c"},
        {"\xf0\x9f\x98\x80", u"\U0001F600"},
        // A stray byte shows as a replacement character, not as garbage.
        {"a\xff"
         "b",
         u"a\uFFFDb"},
        {"", u""},
    };
    for (const auto& c : cases) {
        reports.clear();
        Guarded([&] { throw std::runtime_error(c.what); });
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], c.shown);
    }
}

TEST_F(ErrorReportTest, ForeignExceptionGetsAGenericText) {
    Guarded([] { throw 7; });
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], u"An unexpected error occurred.");
}

TEST(ErrorReport, FailingReportIsDroppedNotRethrown) {
    auto previous = SetErrorReportSink([](std::u16string_view) { throw std::bad_alloc(); });
    EXPECT_EQ(Guarded(5, []() -> int { throw std::runtime_error("x"); }), 5);
    SetErrorReportSink(std::move(previous));
}

} // namespace
} // namespace keyvane
