// The plug-in's own Cabrillo files, written by its writer for two stations that worked each
// other, cross-check as all OK.
#include <gtest/gtest.h>

#include "cabrillo/cabrillo_log.h"
#include "crosscheck_test_support.h"
#include "log/ole_date.h"

namespace velmor::crosscheck::test {
namespace {

OleDateTime at(int hour, int minute) {
    CalendarTime c;
    c.year = 2026;
    c.month = 5;
    c.day = 16;
    c.hour = hour;
    c.minute = minute;
    return OleDateTime{fromCalendar(c), DateStatus::Valid};
}

TEST(PluginLogs, TwoStationsWorkingEachOtherAreAllOk) {
    struct Qso {
        int freqA, freqB;
        const char* label;
        int hour, minuteA, minuteB;
    };
    // CW, SSB and BPSK63 on three bands, one repeat in the next hour, clocks a minute apart.
    const Qso qsos[] = {{14025, 14025, "CW", 12, 0, 1},  {7080, 7081, "PH", 12, 30, 29},
                        {3580, 3580, "PM", 13, 5, 5},    {14025, 14026, "CW", 13, 10, 11},
                        {28450, 28450, "PH", 15, 59, 59}};
    CCabrilloLog a, b;
    a.callsign = "RZ3VLM";
    a.category = "A1";
    a.categoryOperator = "SINGLE-OP";
    b.callsign = "UA1ORF";
    b.category = "A1";
    b.categoryOperator = "SINGLE-OP";
    for (const Qso& q : qsos) {
        const char* rst = std::string(q.label) == "PH" ? "59" : "599";
        a.AddQsoLine("UA1ORF", q.freqA, q.label, at(q.hour, q.minuteA), rst, "014", rst, "WM");
        b.AddQsoLine("RZ3VLM", q.freqB, q.label, at(q.hour, q.minuteB), rst, "WM", rst, "014");
    }
    const std::string dir = freshDir("plugin-logs");
    writeFile(dir + "/RZ3VLM.cbr", a.buildLog(5, nullptr));
    writeFile(dir + "/UA1ORF.cbr", b.buildLog(30, nullptr));

    RunOptions o;
    o.logs = {"RZ3VLM.cbr", "UA1ORF.cbr"};
    o.outDir = "out";
    o.periodStart = "2026-05-16T12:00";
    o.periodEnd = "2026-05-16T16:00";
    std::string messages;
    ASSERT_EQ(runIn(dir, o, &messages), RunOutcome::AllRead) << messages;
    const std::vector<std::string> rows = lines(readFile(dir + "/out/verdicts.csv"));
    ASSERT_EQ(rows.size(), 1 + 2 * std::size(qsos));
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i].substr(rows[i].size() - 4), ",OK,") << rows[i];
    // RZ3VLM: 5 QSOs, UA1ORF sent WM: +5 on each of its four bands. UA1ORF: 5 points.
    const std::string results = readFile(dir + "/out/results.csv");
    EXPECT_NE(results.find("RZ3VLM,A1,5,5,5,5,0,0,0,0,0,0,0,0,25,1\n"), std::string::npos) << results;
    EXPECT_NE(results.find("UA1ORF,A1,30,5,5,5,0,0,0,0,0,0,0,0,5,2\n"), std::string::npos) << results;
}

}  // namespace
}  // namespace velmor::crosscheck::test
