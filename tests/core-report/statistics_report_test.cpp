// Band order, band rows, total row and score line of the statistics text.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "score/statistics_report.h"
#include "qso_builders.h"

namespace velmor {
namespace {

struct BandOrderCase {
    const char* what;
    std::vector<std::string> before;
    std::vector<std::string> after;
};

// Shown by GoogleTest in place of the case's raw bytes.
void PrintTo(const BandOrderCase& c, std::ostream* os) { *os << c.what; }

class BandOrder : public ::testing::TestWithParam<BandOrderCase> {};

TEST_P(BandOrder, SortsInPlace) {
    BandList bands = GetParam().before;
    sortBandList(bands);
    EXPECT_EQ(bands, GetParam().after) << GetParam().what;
}

const std::string k20Nines = "99999999999999999999";     // 20 characters: its own key
const std::string k21Digits = "100000000000000000000";   // 21 characters: its own key

INSTANTIATE_TEST_SUITE_P(
    Cases, BandOrder,
    ::testing::Values(
        BandOrderCase{"numbers descend", {"40", "160", "80"}, {"160", "80", "40"}},
        BandOrderCase{"all the HF bands", {"20", "10", "15", "40", "80", "160"},
                      {"160", "80", "40", "20", "15", "10"}},
        BandOrderCase{"same suffix", {"40M", "160M", "80M", "10M"}, {"160M", "80M", "40M", "10M"}},
        BandOrderCase{"equal keys keep their order", {"7", "07"}, {"7", "07"}},
        BandOrderCase{"equal keys keep their order, reversed", {"07", "7"}, {"07", "7"}},
        // The exchange sort is not stable: 7 and 07 change places through the swap with 20.
        BandOrderCase{"exchange sort, not a stable sort", {"7", "160", "07", "20"},
                      {"160", "20", "07", "7"}},
        BandOrderCase{"padded bytes, not numbers", {"7", "3.5"}, {"3.5", "7"}},
        BandOrderCase{"20 and more characters are compared unpadded", {k21Digits, k20Nines},
                      {k20Nines, k21Digits}},
        BandOrderCase{"a long text against a short number", {"160", k20Nines}, {k20Nines, "160"}},
        // Code page 1251 letters are bytes above 127: compared unsigned they are greater.
        BandOrderCase{"bytes compare unsigned", {"Z", "\xC0"}, {"\xC0", "Z"}},
        BandOrderCase{"empty text is all zeros", {"", "2"}, {"2", ""}},
        BandOrderCase{"nothing to sort", {}, {}},
        BandOrderCase{"one band", {"20"}, {"20"}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(BandSortKey, PadsToTwentyAndLeavesLongerTextsAlone) {
    EXPECT_EQ(bandSortKey("160"), "00000000000000000160");
    EXPECT_EQ(bandSortKey(""), std::string(20, '0'));
    EXPECT_EQ(bandSortKey(k20Nines), k20Nines);
    EXPECT_EQ(bandSortKey(k21Digits), k21Digits);
    EXPECT_EQ(compareBandKeys("7", "07"), 0);
    EXPECT_LT(compareBandKeys("Z", "\xC0"), 0);
}

TEST(BandRow, PointsAreQsosPlusFivePerDistinctWmStation) {
    struct Case {
        BandTally tally;
        const char* row;
    } cases[] = {
        {BandTally{}, "20\t 0\t 0\t 0\t 0\t 0\r\n"},
        {BandTally{1, 0, 1, 0, {}}, "20\t 1\t 1\t 0\t 1\t 0\r\n"},
        // One station with two "WM" records earns the bonus once.
        {BandTally{2, 1, 0, 1, {{"UA9XYZ", 2}}}, "20\t 2\t 7\t 1\t 0\t 1\r\n"},
        {BandTally{5, 1, 2, 2, {{"UA9XYZ", 1}, {"RA3B", 2}}}, "20\t 5\t 15\t 1\t 2\t 2\r\n"},
        {BandTally{100000, 0, 100000, 0, {}}, "20\t 100000\t 100000\t 0\t 100000\t 0\r\n"},
    };
    for (const auto& c : cases) {
        std::string text;
        appendBandRow(text, "20", c.tally);
        EXPECT_EQ(text, c.row);
    }
}

TEST(StatisticsText, HeaderTotalAndScoreLineLayout) {
    std::string text;
    appendReportHeader(text);
    EXPECT_EQ(text, test::kStatisticsHeader);
    text.clear();
    appendTotalRow(text, ReportTotals{3, 8, 1, 1, 1});
    appendScoreLine(text, 8);
    EXPECT_EQ(text, "Total\t 3\t 8\t 1\t 1\t 1\r\n\r\nScore:  8");
    text.clear();
    appendScoreLine(text, -12);
    EXPECT_EQ(text, "\r\nScore:  -12");
}

// A band text is copied byte for byte, whatever it holds.
TEST(BandRow, BandTextCopiedAsGiven) {
    std::string text;
    appendBandRow(text, "\xC4\xE8\xE0\xEF\xE0\xE7\xEE\xED 2", BandTally{});
    EXPECT_EQ(text, "\xC4\xE8\xE0\xEF\xE0\xE7\xEE\xED 2\t 0\t 0\t 0\t 0\t 0\r\n");
}

}  // namespace
}  // namespace velmor
