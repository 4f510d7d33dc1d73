// The seeded synthetic contests: every QSO line gets the verdict the generator injected.
#include <gtest/gtest.h>

#include <map>

#include "crosscheck/synthetic_contest.h"
#include "crosscheck_test_support.h"

namespace velmor::crosscheck::test {
namespace {

class SyntheticContestTest : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(SyntheticContestTest, EveryVerdictIsTheExpectedOne) {
    SyntheticOptions o;
    o.seed = GetParam();
    o.entrants = 60;
    o.qsosPerLog = 150;
    o.faultChance = 0.03;
    const SyntheticContest contest = makeSyntheticContest(o);
    const std::string dir = freshDir("synthetic-" + std::to_string(o.seed));
    ASSERT_EQ(writeSyntheticContest(contest, dir + "/logs"), "");

    RunOptions run;
    run.logs = {dir + "/logs"};
    run.outDir = dir + "/out";
    run.periodStart = kSyntheticPeriodStart;
    run.periodEnd = kSyntheticPeriodEnd;
    std::string messages;
    // expected.csv is not a log: it is not even looked at (.csv).
    ASSERT_EQ(runIn(dir, run, &messages), RunOutcome::AllRead) << messages;

    const std::vector<std::string> rows = lines(readFile(dir + "/out/verdicts.csv"));
    ASSERT_EQ(rows.size(), contest.expected.size() + 1);
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < contest.expected.size(); ++i) {
        const ExpectedVerdict& e = contest.expected[i];
        const std::string& row = rows[i + 1];
        const std::string prefix = e.call + "," + std::to_string(e.line) + ",";
        ASSERT_EQ(row.compare(0, prefix.size(), prefix), 0) << row;
        // verdict is the ninth column; the detail after it may hold commas only when quoted,
        // and no synthetic detail does.
        std::size_t pos = 0;
        for (int c = 0; c < 8; ++c) pos = row.find(',', pos) + 1;
        const std::string verdict = row.substr(pos, row.find(',', pos) - pos);
        EXPECT_EQ(verdict, verdictName(e.verdict)) << row;
        ++seen[verdict];
    }
    // The generator injected every kind of fault, so every verdict occurs.
    for (const char* v : {"OK", "BAD-EXCH", "DUPE", "BUSTED", "NIL", "UNIQUE", "UNVERIFIED", "INVALID",
                          "OUT-OF-PERIOD"})
        EXPECT_GT(seen[v], 0) << v;
}

INSTANTIATE_TEST_SUITE_P(Seeds, SyntheticContestTest, ::testing::Values(1u, 7u, 2026u));

TEST(SyntheticContest, TheSameSeedGivesTheSameContest) {
    SyntheticOptions o;
    o.seed = 42;
    o.entrants = 20;
    o.qsosPerLog = 40;
    const SyntheticContest a = makeSyntheticContest(o), b = makeSyntheticContest(o);
    ASSERT_EQ(a.logs.size(), b.logs.size());
    for (std::size_t i = 0; i < a.logs.size(); ++i) EXPECT_EQ(a.logs[i].text, b.logs[i].text);
    EXPECT_EQ(a.lines, 20u * 40u);
}

}  // namespace
}  // namespace velmor::crosscheck::test
