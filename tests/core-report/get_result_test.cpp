// GetResult end to end: statistics text, score, stored claimed score and Cabrillo hand-off.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes.h"
#include "report_fixtures.h"
#include "session/stats_plugin.h"

namespace velmor {
namespace {

using test::qso;
using test::readFixture;

const std::string& kHeader = test::kStatisticsHeader;

struct GetResultFixture : ::testing::Test {
    test::FakeServices fakes;
    StatsPlugin plugin{fakes.services()};

    void add(const QsoFields& f) { ASSERT_EQ(plugin.AddData(f), 1) << f.call; }
    void addWorkedExample() {
        add(test::workedExample80());
        add(test::workedExample40Ssb());
        add(test::workedExample40Psk());
    }
    // The golden station's details typed into the dialog on the reset that asks for Cabrillo.
    void resetWithCabrillo() {
        fakes.ui.dialog = [](StationDetails& d) {
            d.location = "MA";
            d.club = "Velmor Radio Club";
            d.email = "w1aw@example.org";
            d.name = "Hiram Percy";
            d.address = "225 Main St\r\nNewington CT";
            return true;
        };
        plugin.ResetStats(1, "W1AW");
    }
    std::vector<std::string> claimedWrites() const {
        std::vector<std::string> values;
        for (const auto& [key, value] : fakes.settings.writes)
            if (key == "Claimed") values.push_back(value);
        return values;
    }
};

TEST_F(GetResultFixture, WorkedExample) {
    addWorkedExample();
    std::int32_t score = 12345;
    EXPECT_EQ(plugin.GetResult(&score), readFixture("worked_example.txt"));
    EXPECT_EQ(score, 8);
    EXPECT_EQ(plugin.claimedScore(), 8);
    EXPECT_EQ(claimedWrites(), std::vector<std::string>{"8"});
    EXPECT_EQ(plugin.bandList(), (BandList{"80", "40"}));
    EXPECT_TRUE(fakes.ui.outputs.empty());
    EXPECT_EQ(fakes.files.files.count("W1AW.cbr"), 0u);
}

TEST_F(GetResultFixture, EmptyLog) {
    std::int32_t score = 12345;
    EXPECT_EQ(plugin.GetResult(&score), kHeader + "Total\t 0\t 0\t 0\t 0\t 0\r\n\r\nScore:  0");
    EXPECT_EQ(score, 0);
    EXPECT_EQ(claimedWrites(), std::vector<std::string>{"0"});
}

TEST_F(GetResultFixture, BandListIsLeftInReportOrder) {
    for (const char* band : {"40", "160", "80"}) add(qso("UA3AAA", band, "CW", "001"));
    std::int32_t score = 0;
    EXPECT_EQ(plugin.GetResult(&score),
              kHeader + "160\t 1\t 1\t 0\t 1\t 0\r\n80\t 1\t 1\t 0\t 1\t 0\r\n40\t 1\t 1\t 0\t 1\t 0\r\n"
                        "Total\t 3\t 3\t 0\t 3\t 0\r\n\r\nScore:  3");
    EXPECT_EQ(plugin.bandList(), (BandList{"160", "80", "40"}));
    add(qso("UA3AAA", "20", "CW", "001"));
    EXPECT_EQ(plugin.bandList(), (BandList{"160", "80", "40", "20"}));
    add(qso("UA3AAA", "3.5", "CW", "001"));
    plugin.GetResult(&score);
    EXPECT_EQ(plugin.bandList(), (BandList{"3.5", "160", "80", "40", "20"}));
}

// Rows of the statistics text (between header and total row) for a given log.
TEST_F(GetResultFixture, WmBonusOncePerStationAndBand) {
    struct Case {
        const char* what;
        std::vector<QsoFields> log;
        std::string rows;
        std::int32_t score;
    } cases[] = {
        {"twice on one band", {qso("UA9XYZ", "40", "SSB", "WM"), qso("UA9XYZ", "40", "CW", "WM")},
         "40\t 2\t 7\t 0\t 1\t 1\r\n", 7},
        {"once on each of two bands", {qso("UA9XYZ", "40", "SSB", "WM"), qso("UA9XYZ", "20", "SSB", "WM")},
         "40\t 1\t 6\t 0\t 0\t 1\r\n20\t 1\t 6\t 0\t 0\t 1\r\n", 12},
        {"two stations and a number on one band",
         {qso("UA9XYZ", "20", "BPSK63", "WM"), qso("RA3B", "20", "CW", "WM"), qso("K1ABC", "20", "CW", "042")},
         "20\t 3\t 13\t 1\t 2\t 0\r\n", 13},
        {"only exactly WM earns it",
         {qso("UA9XYZ", "20", "CW", "wm"), qso("RA3B", "20", "CW", "WM1"), qso("K1ABC", "20", "CW", " WM")},
         "20\t 3\t 3\t 0\t 3\t 0\r\n", 3},
    };
    for (const auto& c : cases) {
        test::FakeServices fresh;
        StatsPlugin p(fresh.services());
        for (const auto& f : c.log) p.AddData(f);
        std::int32_t score = 0;
        const std::string text = p.GetResult(&score);
        const std::size_t from = kHeader.size();
        const std::size_t to = text.find("Total\t");
        EXPECT_EQ(text.substr(from, to - from), c.rows) << c.what;
        EXPECT_EQ(score, c.score) << c.what;
    }
}

TEST_F(GetResultFixture, EmptyCallCountsOnlyInTheTotalRow) {
    add(qso("", "20", "CW", "WM"));
    add(qso("UA3AAA", "20", "SSB", "001"));
    std::int32_t score = 0;
    EXPECT_EQ(plugin.GetResult(&score),
              kHeader + "20\t 1\t 1\t 0\t 0\t 1\r\nTotal\t 2\t 1\t 0\t 0\t 1\r\n\r\nScore:  1");
    EXPECT_EQ(score, 1);
}

TEST_F(GetResultFixture, RemovedQsosLeaveTheirBandRow) {
    add(qso("UA9XYZ", "40", "SSB", "WM"));
    add(qso("UA9XYZ", "40", "SSB", "WM"));
    add(qso("UA3AAA", "20", "CW", "001"));
    plugin.RemoveData("UA9XYZ", "SSB", "40");
    std::int32_t score = 0;
    plugin.GetResult(&score);
    EXPECT_EQ(score, 7);  // one "WM" record left on 40 keeps the bonus
    plugin.RemoveData("UA9XYZ", "SSB", "40");
    plugin.RemoveData("UA3AAA", "CW", "20");
    EXPECT_EQ(plugin.GetResult(&score),
              kHeader + "40\t 0\t 0\t 0\t 0\t 0\r\n20\t 0\t 0\t 0\t 0\t 0\r\n"
                        "Total\t 0\t 0\t 0\t 0\t 0\r\n\r\nScore:  0");
    EXPECT_EQ(score, 0);
}

TEST_F(GetResultFixture, CabrilloRequestWritesTheFileAndAnswersMinusOne) {
    resetWithCabrillo();
    fakes.files.files["cabrillo.ini"] = readFixture("cabrillo.ini");
    addWorkedExample();
    std::int32_t score = 0;
    EXPECT_EQ(plugin.GetResult(&score), readFixture("worked_example.txt"));
    EXPECT_EQ(score, -1);
    EXPECT_EQ(plugin.claimedScore(), 8);
    EXPECT_EQ(claimedWrites(), std::vector<std::string>{"8"});
    EXPECT_EQ(fakes.ui.outputs, std::vector<std::string>{"File produced: W1AW.cbr"});
    EXPECT_EQ(fakes.files.files["W1AW.cbr"], readFixture("w1aw_with_extra_header.cbr"));

    // A second request writes the same file again, without the first request's lines.
    score = 0;
    plugin.GetResult(&score);
    EXPECT_EQ(score, -1);
    EXPECT_EQ(fakes.ui.outputs.size(), 2u);
    EXPECT_EQ(fakes.files.files["W1AW.cbr"], readFixture("w1aw_with_extra_header.cbr"));
    EXPECT_EQ(plugin.cabrillo().qsoLines.size(), 3u);
}

TEST_F(GetResultFixture, CabrilloFileWithoutExtraHeader) {
    resetWithCabrillo();
    addWorkedExample();
    std::int32_t score = 0;
    plugin.GetResult(&score);
    EXPECT_EQ(fakes.files.files["W1AW.cbr"], readFixture("w1aw.cbr"));
}

TEST_F(GetResultFixture, EveryRecordIsHandedOverIncludingAnEmptyCall) {
    resetWithCabrillo();
    add(qso("", "20", "CW", "001", 14012000));
    add(qso("UA3AAA", "20", "SSB", "WM", 14200000));
    std::int32_t score = 0;
    plugin.GetResult(&score);
    const auto& lines = plugin.cabrillo().qsoLines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 14), "QSO: 14012 CW ");
    EXPECT_EQ(lines[0].substr(55, 14), std::string(14, ' '));  // empty worked call, blank-filled
    EXPECT_EQ(lines[1].substr(0, 14), "QSO: 14200 PH ");
    EXPECT_NE(fakes.files.files["W1AW.cbr"].find(lines[0] + lines[1] + "END-OF-LOG:\r\n"),
              std::string::npos);
}

TEST_F(GetResultFixture, FailedWriteIsReportedAndStillAnswersMinusOne) {
    resetWithCabrillo();
    fakes.files.unwritable = {"W1AW.cbr"};
    addWorkedExample();
    std::int32_t score = 0;
    plugin.GetResult(&score);
    EXPECT_EQ(score, -1);
    EXPECT_EQ(fakes.ui.outputs, std::vector<std::string>{"File not produced: W1AW.cbr (Access is denied.)"});
}

TEST_F(GetResultFixture, CancelledDialogStillWritesTaggedHeaderFromStoredDetails) {
    fakes.settings.values = {{"Address", "225 Main St<CR><LF>Newington CT"}, {"Name", "Hiram Percy"}};
    fakes.ui.dialog = [](StationDetails&) { return false; };
    plugin.ResetStats(1, " W1AW/P ");
    add(test::workedExample80());
    std::int32_t score = 0;
    plugin.GetResult(&score);
    plugin.GetResult(&score);
    EXPECT_EQ(score, -1);
    EXPECT_EQ(fakes.ui.outputs.back(), "File produced: W1AW_P.cbr");
    const std::string& file = fakes.files.files["W1AW_P.cbr"];
    EXPECT_NE(file.find("NAME: Hiram Percy\r\nADDRESS: 225 Main St\r\nADDRESS: Newington CT\r\n"),
              std::string::npos)
        << file;
    EXPECT_EQ(plugin.cabrillo().qsoLines.size(), 1u);
}

TEST_F(GetResultFixture, NullScorePointerIsSafe) {
    addWorkedExample();
    EXPECT_EQ(plugin.GetResult(nullptr), readFixture("worked_example.txt"));
    EXPECT_EQ(plugin.claimedScore(), 8);
    resetWithCabrillo();
    add(test::workedExample80());
    plugin.GetResult(nullptr);
    EXPECT_EQ(plugin.claimedScore(), 1);
    EXPECT_EQ(fakes.ui.outputs, std::vector<std::string>{"File produced: W1AW.cbr"});
}

}  // namespace
}  // namespace velmor
