// The export guard: the safe answer for anything thrown, and one trace line saying what.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "boundary_guard.h"

namespace velmor::boundary {
namespace {

std::vector<std::string> lines;
void record(const char* line) { lines.emplace_back(line); }

struct Guard : ::testing::Test {
    void SetUp() override { lines.clear(); }
};

struct LongWhat : std::exception {
    const char* what() const noexcept override {
        static const std::string text(2000, 'x');
        return text.c_str();
    }
};

TEST_F(Guard, AnythingThrownGivesTheSafeAnswerAndOneLine) {
    struct Case {
        void (*thrower)();
        const char* line;
    } cases[] = {
        {[] { throw std::bad_alloc(); }, "Stats.dll: AddData0: std::bad_alloc\n"},
        {[] { throw std::runtime_error("disk on fire"); }, "Stats.dll: AddData0: disk on fire\n"},
        {[] { throw 42; }, "Stats.dll: AddData0: unknown exception\n"},
    };
    for (const Case& c : cases) {
        lines.clear();
        const int answer = guarded(&record, "AddData0", 0, [&] {
            c.thrower();
            return 1;
        });
        EXPECT_EQ(answer, 0) << c.line;
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
    }
}

TEST_F(Guard, WorkThatSucceedsLeavesNoTrace) {
    EXPECT_EQ(guarded(&record, "CheckCall0", 1, [] { return 4; }), 4);
    EXPECT_EQ(guarded(nullptr, "CheckCall0", 1, [] () -> int { throw std::bad_alloc(); }), 1);
    EXPECT_TRUE(lines.empty());
}

TEST_F(Guard, LinesAreBoundedAndNameTheFailedCall) {
    guarded(&record, "GetResult0", 0, []() -> int { throw LongWhat(); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kTraceLineSize - 1);
    EXPECT_EQ(lines[0].rfind("Stats.dll: GetResult0: xxx", 0), 0u);

    traceError(&record, "settings", "WritePrivateProfileStringA", 5);
    EXPECT_EQ(lines.back(),
              "Stats.dll: settings: WritePrivateProfileStringA failed, GetLastError() = 5\n");
}

}  // namespace
}  // namespace velmor::boundary
