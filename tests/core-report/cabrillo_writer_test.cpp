// QSO lines column by column, the whole Cabrillo file byte for byte, and WriteLog's message.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "fakes.h"
#include "report_fixtures.h"

namespace velmor {
namespace {

using test::at;
using test::readFixture;

std::string sp(std::size_t n) { return std::string(n, ' '); }

struct QsoLineCase {
    const char* what;
    std::string callsign;
    std::string call;
    std::int32_t freqKHz;
    std::string modeLabel;
    OleDateTime time;
    std::string rstSent, exchSent, rstRcvd, exchRcvd;
    std::string expected;
};

// Built on first use, not during static initialisation: the date conversion has its own
// namespace-scope constants in another file.
const std::vector<QsoLineCase>& qsoLineCases() {
    const OleDateTime kNoon = at(2026, 6, 13, 12, 5);
    const OleDateTime kInvalid{kNoon.date, DateStatus::Invalid};
    const OleDateTime kNull{kNoon.date, DateStatus::Null};
    const OleDateTime kNaN{std::numeric_limits<double>::quiet_NaN(), DateStatus::Valid};

    static const std::vector<QsoLineCase> cases = {
        {"values that fit their columns", "W1AW", "UA3AAA", 3512, "CW", kNoon, "599", "001", "599", "123",
         "QSO:  3512 CW 2026-06-13 1205 W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA" + sp(8) +
             "599 123\r\n"},
        {"from 50 MHz the band designator, in the frequency's columns", "W1AW", "UA3AAA", 144000, "PH",
         kNoon, "59", "001", "59", "123",
         "QSO:   144 PH 2026-06-13 1205 W1AW" + sp(10) + "59  001" + sp(4) + "UA3AAA" + sp(8) +
             "59  123\r\n"},
        {"the largest frequency the host passes", "W1AW", "UA3AAA", 4294967, "CW", kNoon, "599", "001",
         "599", "123",
         "QSO:  3.4G CW 2026-06-13 1205 W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA" + sp(8) +
             "599 123\r\n"},
        {"the last frequency below 50 MHz in kHz", "W1AW", "UA3AAA", 49999, "CW", kNoon, "599", "001",
         "599", "123",
         "QSO: 49999 CW 2026-06-13 1205 W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA" + sp(8) +
             "599 123\r\n"},
        {"worked call over 13 characters written whole", "W1AW", "UA3AAA/MM/QRP12", 3512, "CW", kNoon,
         "599", "001", "599", "123",
         "QSO:  3512 CW 2026-06-13 1205 W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA/MM/QRP12 599 123\r\n"},
        {"own call over 13 characters written whole", "RA3ABCDEFGHIJK", "UA3AAA", 3512, "CW", kNoon,
         "599", "001", "599", "123",
         "QSO:  3512 CW 2026-06-13 1205 RA3ABCDEFGHIJK 599 001" + sp(4) + "UA3AAA" + sp(8) +
             "599 123\r\n"},
        {"report and exchange wider than their columns", "W1AW", "UA3AAA", 3512, "CW", kNoon, "5999",
         "1234567", "5NN9", "WM",
         "QSO:  3512 CW 2026-06-13 1205 W1AW" + sp(10) + "5999 1234567 UA3AAA" + sp(8) + "5NN9 WM\r\n"},
        {"invalid time", "W1AW", "UA3AAA", 3512, "CW", kInvalid, "599", "001", "599", "123",
         "QSO:  3512 CW Invalid DateTime W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA" + sp(8) +
             "599 123\r\n"},
        {"valid status but no calendar date", "W1AW", "UA3AAA", 3512, "CW", kNaN, "599", "001", "599",
         "123",
         "QSO:  3512 CW Invalid DateTime W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA" + sp(8) +
             "599 123\r\n"},
        {"null time is empty text between its blanks", "W1AW", "UA3AAA", 3512, "CW", kNull, "599", "001",
         "599", "123",
         "QSO:  3512 CW  W1AW" + sp(10) + "599 001" + sp(4) + "UA3AAA" + sp(8) + "599 123\r\n"},
        {"empty texts are blank-filled", "", "", 0, "PM", kNoon, "", "", "", "",
         "QSO:     0 PM 2026-06-13 1205 " + sp(13) + " " + sp(3) + " " + sp(6) + " " + sp(13) + " " +
             sp(3) + " \r\n"},
    };
    return cases;
}

TEST(QsoLine, FormatsEveryColumn) {
    for (const auto& c : qsoLineCases()) {
        CCabrilloLog log;
        log.callsign = c.callsign;
        log.AddQsoLine(c.call, c.freqKHz, c.modeLabel, c.time, c.rstSent, c.exchSent, c.rstRcvd,
                       c.exchRcvd);
        ASSERT_EQ(log.qsoLines.size(), 1u) << c.what;
        EXPECT_EQ(log.qsoLines[0], c.expected) << c.what;
    }
}

TEST(QsoLine, ColumnsOfALineWhoseValuesFit) {
    const std::string& line = qsoLineCases()[0].expected;
    auto col = [&line](std::size_t first, std::size_t last) {
        return line.substr(first - 1, last - first + 1);
    };
    EXPECT_EQ(col(1, 5), "QSO: ");
    EXPECT_EQ(col(6, 10), " 3512");
    EXPECT_EQ(col(12, 13), "CW");
    EXPECT_EQ(col(15, 24), "2026-06-13");
    EXPECT_EQ(col(26, 29), "1205");
    EXPECT_EQ(col(31, 43), "W1AW         ");
    EXPECT_EQ(col(45, 47), "599");
    EXPECT_EQ(col(49, 54), "001   ");
    EXPECT_EQ(col(56, 68), "UA3AAA       ");
    EXPECT_EQ(col(70, 72), "599");
    EXPECT_EQ(line.substr(73), "123\r\n");
    for (std::size_t blank : {11, 14, 25, 30, 44, 48, 55, 69, 73}) EXPECT_EQ(line[blank - 1], ' ');
}

TEST(QsoLine, LinesKeepTheirOrderAndUseTheCurrentOwnCall) {
    const OleDateTime kNoon = at(2026, 6, 13, 12, 5);
    CCabrilloLog log;
    log.callsign = "W1AW";
    log.AddQsoLine("UA3AAA", 3512, "CW", kNoon, "599", "001", "599", "123");
    log.callsign = "K1ABC";
    log.AddQsoLine("UA9XYZ", 7080, "PH", kNoon, "59", "002", "59", "WM");
    ASSERT_EQ(log.qsoLines.size(), 2u);
    EXPECT_NE(log.qsoLines[0].find(" W1AW "), std::string::npos);
    EXPECT_NE(log.qsoLines[1].find(" K1ABC "), std::string::npos);
    EXPECT_NE(log.qsoLines[1].find("UA9XYZ"), std::string::npos);
}

// The station of the golden files, with the worked example's three QSOs.
CCabrilloLog goldenStation() {
    CCabrilloLog log;
    log.callsign = "W1AW";
    log.categoryOperator = "SINGLE-OP";
    log.category = "A1";
    log.location = "MA";
    log.club = "Velmor Radio Club";
    log.email = "w1aw@example.org";
    log.name = "Hiram Percy";
    log.address = "225 Main St\r\nNewington CT";
    log.operators = "W1AW";
    log.soapbox = "";
    log.claimed = "not written";
    log.contest = "not written either";
    log.baseName = "W1AW";
    log.AddQsoLine("UA3AAA", 3512, "CW", at(2026, 6, 13, 12, 5), "599", "001", "599", "123");
    log.AddQsoLine("UA9XYZ", 7080, "PH", at(2026, 6, 13, 12, 40), "59", "002", "59", "WM");
    log.AddQsoLine("UA9XYZ", 7040, "PM", at(2026, 6, 13, 13, 10), "599", "003", "599", "WM");
    return log;
}

TEST(CabrilloFile, WholeFileWithoutExtraHeader) {
    EXPECT_EQ(goldenStation().buildLog(8, nullptr), readFixture("w1aw.cbr"));
}

TEST(CabrilloFile, WholeFileWithExtraHeader) {
    const std::string extra = readFixture("cabrillo.ini");
    EXPECT_EQ(goldenStation().buildLog(8, &extra), readFixture("w1aw_with_extra_header.cbr"));
}

TEST(CabrilloFile, EmptyLogIsHeaderAndEndLine) {
    const std::string text = CCabrilloLog{}.buildLog(-3, nullptr);
    EXPECT_EQ(text,
              "START-OF-LOG: 3.0\r\nCONTEST: Velmor \r\nCALLSIGN: \r\nCATEGORY-OPERATOR: \r\n"
              "CATEGORY: \r\nLOCATION: \r\nCLAIMED-SCORE: -3\r\nCLUB: \r\nCREATED-BY: Kova \r\n"
              "EMAIL: \r\nNAME: \r\nADDRESS: \r\nOPERATORS: \r\nSOAPBOX: \r\nEND-OF-LOG:\r\n");
}

// What stands between the SOAPBOX line and the first QSO line for a given "cabrillo.ini".
TEST(CabrilloFile, ExtraHeaderCopiedAndNeverJoinsTheFirstQsoLine) {
    struct Case {
        const char* what;
        std::string ini;
        std::string written;
    } cases[] = {
        {"lines ending in CR LF", "X-A: 1\r\nX-B: 2\r\n", "X-A: 1\r\nX-B: 2\r\n"},
        {"last line without a line end", "X-A: 1\r\nX-B: 2", "X-A: 1\r\nX-B: 2\r\n"},
        {"a single line without a line end", "X-A: 1", "X-A: 1\r\n"},
        {"LF line ends kept as they are", "X-A: 1\nX-B: 2\n", "X-A: 1\nX-B: 2\n"},
        {"empty file adds nothing", "", ""},
        {"other bytes copied unchanged", std::string("X-\xC0\0B\t \r\n", 9), std::string("X-\xC0\0B\t \r\n", 9)},
    };
    for (const auto& c : cases) {
        CCabrilloLog log;
        log.AddQsoLine("UA3AAA", 3512, "CW", at(2026, 6, 13, 12, 5), "599", "001", "599", "123");
        const std::string text = log.buildLog(1, &c.ini);
        const std::string before = "SOAPBOX: \r\n";
        const std::size_t from = text.find(before) + before.size();
        const std::size_t to = text.find("QSO: ");
        ASSERT_NE(to, std::string::npos) << c.what;
        EXPECT_EQ(text.substr(from, to - from), c.written) << c.what;
    }
}

TEST(WriteLog, WritesTheFileThroughReplaceAndReadsTheExtraHeader) {
    test::MemoryFileSystem files;
    files.files["cabrillo.ini"] = readFixture("cabrillo.ini");
    files.files["W1AW.cbr"] = "an earlier log that is much longer than nothing";
    const std::string message = goldenStation().WriteLog(files, 8);
    EXPECT_EQ(message, "File produced: W1AW.cbr");
    EXPECT_EQ(files.files["W1AW.cbr"], readFixture("w1aw_with_extra_header.cbr"));
}

TEST(WriteLog, MissingExtraHeaderFileIsNoError) {
    test::MemoryFileSystem files;
    EXPECT_EQ(goldenStation().WriteLog(files, 8), "File produced: W1AW.cbr");
    EXPECT_EQ(files.files["W1AW.cbr"], readFixture("w1aw.cbr"));
}

TEST(WriteLog, FailureNamesTheFileAndTheReason) {
    test::MemoryFileSystem files;
    files.unwritable = {"W1AW.cbr"};
    EXPECT_EQ(goldenStation().WriteLog(files, 8), "File not produced: W1AW.cbr (Access is denied.)");
    EXPECT_EQ(files.files.count("W1AW.cbr"), 0u);
}

TEST(ModeLabel, ContestModesAndNothingElse) {
    EXPECT_EQ(cabrilloModeLabel("CW"), "CW");
    EXPECT_EQ(cabrilloModeLabel("BPSK63"), "PM");
    EXPECT_EQ(cabrilloModeLabel("SSB"), "PH");
    EXPECT_EQ(cabrilloModeLabel("cw"), "");
    EXPECT_EQ(cabrilloModeLabel("RTTY"), "");
}

}  // namespace
}  // namespace velmor
