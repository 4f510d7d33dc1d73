// The state object: reset, storing and removing QSOs, the band list and the repeat check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "fakes.h"
#include "log/contest_rules.h"
#include "qso_builders.h"
#include "session/stats_plugin.h"

namespace velmor {
namespace {

using test::sampleQso;
using test::validTime;

class Plugin : public ::testing::Test {
protected:
    test::FakeServices fakes;
    StatsPlugin plugin{fakes.services()};

    std::vector<std::string> calls() const {
        std::vector<std::string> v;
        for (const CInfo& r : plugin.qsoLog().records()) v.push_back(r.call);
        return v;
    }
    std::vector<std::string> tags() const {
        std::vector<std::string> v;
        for (const CInfo& r : plugin.qsoLog().records()) v.push_back(r.hostText23);
        return v;
    }
    QsoFields qso(const std::string& call, const std::string& mode, const std::string& band,
                  const std::string& tag = {}) {
        QsoFields q = sampleQso();
        q.call = call;
        q.mode = mode;
        q.band = band;
        q.hostText23 = tag;
        return q;
    }
};

// ---- AddData: which QSOs are turned away, and why ----

struct AdmissionCase {
    const char* mode;
    const char* exchSent;
    const char* exchRcvd;
    std::int32_t expected;
    const char* reason;  // end of the journal line, or nullptr when stored
};

void PrintTo(const AdmissionCase& c, std::ostream* os) {
    *os << '"' << c.mode << "\" sent \"" << c.exchSent << "\" rcvd \"" << c.exchRcvd << '"';
}

class Admission : public Plugin, public ::testing::WithParamInterface<AdmissionCase> {};

TEST_P(Admission, StoresContestQsosAndJournalsTheRest) {
    const AdmissionCase& c = GetParam();
    QsoFields q = sampleQso();
    q.mode = c.mode;
    q.exchSent = c.exchSent;
    q.exchRcvd = c.exchRcvd;
    plugin.ResetStats(0, "UA3ABC");

    EXPECT_EQ(plugin.AddData(q), c.expected);
    const std::string journal = fakes.files.files["err.txt"];
    if (c.reason == nullptr) {
        EXPECT_EQ(plugin.qsoLog().size(), 1u);
        EXPECT_EQ(plugin.bandList(), BandList{"20M"});
        EXPECT_EQ(journal, "Velmor TEST UBN file \r\n");
    } else {
        EXPECT_EQ(plugin.qsoLog().size(), 0u);
        EXPECT_TRUE(plugin.bandList().empty());
        const std::string tail = std::string(c.reason) + "\r\n";
        ASSERT_GE(journal.size(), tail.size());
        EXPECT_EQ(journal.substr(journal.size() - tail.size()), tail);
        EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Admission, ::testing::Values(
    AdmissionCase{"CW", "001", "123", 1, nullptr},
    AdmissionCase{"SSB", "001", "123", 1, nullptr},
    AdmissionCase{"BPSK63", "001", "WM", 1, nullptr},
    AdmissionCase{"CW", "x", "not checked here", 1, nullptr},
    AdmissionCase{"cw", "001", "123", 0, "   NO TEST MODE !!!"},
    AdmissionCase{"BPSK31", "001", "123", 0, "   NO TEST MODE !!!"},
    AdmissionCase{"RTTY", "001", "123", 0, "   NO TEST MODE !!!"},
    AdmissionCase{"CW ", "001", "123", 0, "   NO TEST MODE !!!"},
    AdmissionCase{"", "001", "123", 0, "   NO TEST MODE !!!"},
    AdmissionCase{"RTTY", "", "", 0, "   NO TEST MODE !!!"},   // the mode is checked first
    AdmissionCase{"CW", "", "123", 0, "   NO RX NUMBER !!!"},
    AdmissionCase{"SSB", "001", "", 0, "   NO RX NUMBER !!!"},
    AdmissionCase{"BPSK63", "", "", 0, "   NO RX NUMBER !!!"}));

TEST_F(Plugin, StoredRecordCarriesEveryField) {
    QsoFields q = sampleQso();
    q.freqHz = 7012999;
    q.time = {40672.75, DateStatus::Valid};
    ASSERT_EQ(plugin.AddData(q), 1);
    const CInfo& r = plugin.qsoLog().at(0);
    EXPECT_EQ(r.call, "RA1XYZ");
    EXPECT_EQ(r.hostText23, "h23");
    EXPECT_EQ(r.hostText30, "h30");
    EXPECT_EQ(r.band, "20M");
    EXPECT_EQ(r.mode, "CW");
    EXPECT_EQ(r.rstRcvd, "579");
    EXPECT_EQ(r.rstSent, "599");
    EXPECT_EQ(r.exchRcvd, "123");
    EXPECT_EQ(r.exchSent, "001");
    EXPECT_EQ(r.wmCall, "");
    EXPECT_EQ(r.freqKHz, 7012u);
    EXPECT_EQ(r.time.date, 40672.75);
    EXPECT_EQ(r.time.status, DateStatus::Valid);
}

TEST_F(Plugin, FrequencyIsStoredAsWholeKilohertz) {
    const struct {
        std::uint32_t hz;
        std::uint32_t khz;
    } cases[] = {{14025999, 14025}, {14025000, 14025}, {1000, 1}, {999, 0}, {0, 0}, {4294967295u, 4294967}};
    for (const auto& c : cases) {
        QsoFields q = sampleQso();
        q.freqHz = c.hz;
        plugin.AddData(q);
        EXPECT_EQ(plugin.qsoLog().records().back().freqKHz, c.khz) << c.hz;
    }
}

TEST_F(Plugin, OnlyExactlyWmMarksTheStation) {
    const struct {
        const char* exchange;
        const char* wmCall;
    } cases[] = {{"WM", "RA1XYZ"}, {"wm", ""}, {"Wm", ""}, {"WM1", ""}, {" WM", ""}, {"WM ", ""}, {"599", ""}};
    for (const auto& c : cases) {
        QsoFields q = sampleQso();
        q.exchRcvd = c.exchange;
        ASSERT_EQ(plugin.AddData(q), 1);
        EXPECT_EQ(plugin.qsoLog().records().back().wmCall, c.wmCall) << '"' << c.exchange << '"';
    }
}

TEST_F(Plugin, QsoWithoutWorkedCallIsStoredButCountsOnNoBand) {
    QsoFields q = sampleQso();
    q.call = "";
    q.exchRcvd = "WM";
    EXPECT_EQ(plugin.AddData(q), 1);
    EXPECT_EQ(plugin.qsoLog().size(), 1u);
    EXPECT_EQ(plugin.qsoLog().at(0).wmCall, "");
    EXPECT_EQ(plugin.bandList(), BandList{"20M"});
    EXPECT_EQ(plugin.qsoLog().tally("20M").qsos, 0);
}

// ---- band list ----

TEST_F(Plugin, BandListKeepsFirstArrivalsAndOutlivesRemovals) {
    plugin.AddData(qso("A", "CW", "20M"));
    plugin.AddData(qso("B", "CW", "40M"));
    plugin.AddData(qso("C", "SSB", "20M"));
    plugin.AddData(qso("D", "SSB", "20m"));  // case-sensitive: another band
    EXPECT_EQ(plugin.bandList(), (BandList{"20M", "40M", "20m"}));

    plugin.RemoveData("B", "CW", "40M");
    EXPECT_EQ(plugin.bandList(), (BandList{"20M", "40M", "20m"}));

    // A turned-away QSO brings no band.
    QsoFields foreign = qso("E", "RTTY", "15M");
    plugin.AddData(foreign);
    EXPECT_EQ(plugin.bandList().size(), 3u);
}

TEST_F(Plugin, ResetEmptiesLogAndBandsSoBandsArriveAfresh) {
    plugin.AddData(qso("A", "CW", "20M"));
    plugin.AddData(qso("B", "CW", "40M"));
    plugin.AddData(qso("C", "CW", "80M"));
    EXPECT_EQ(plugin.ResetStats(0, "UA3ABC"), 1);
    EXPECT_EQ(plugin.qsoLog().size(), 0u);
    EXPECT_TRUE(plugin.bandList().empty());
    EXPECT_EQ(plugin.qsoLog().tally("20M").qsos, 0);

    plugin.AddData(qso("C", "CW", "80M"));
    plugin.AddData(qso("A", "CW", "20M"));
    EXPECT_EQ(plugin.bandList(), (BandList{"80M", "20M"}));
}

// ---- RemoveData ----

TEST_F(Plugin, RemoveTakesTheOldestOfIdenticalQsos) {
    plugin.AddData(qso("A", "CW", "20M", "first"));
    plugin.AddData(qso("B", "CW", "20M", "other"));
    plugin.AddData(qso("A", "CW", "20M", "second"));
    EXPECT_EQ(plugin.RemoveData("A", "CW", "20M"), 1);
    EXPECT_EQ(tags(), (std::vector<std::string>{"other", "second"}));
}

TEST_F(Plugin, RemoveMatchesCallModeAndBandExactly) {
    plugin.AddData(qso("A", "CW", "20M", "kept"));
    const struct {
        const char* call;
        const char* mode;
        const char* band;
    } misses[] = {{"a", "CW", "20M"}, {"A", "SSB", "20M"}, {"A", "CW", "40M"}, {"A", "cw", "20M"},
                  {"A ", "CW", "20M"}, {"", "CW", "20M"}, {"Z", "CW", "20M"}};
    for (const auto& m : misses) {
        EXPECT_EQ(plugin.RemoveData(m.call, m.mode, m.band), 1);
        EXPECT_EQ(tags(), std::vector<std::string>{"kept"}) << m.call << "/" << m.mode << "/" << m.band;
    }
    EXPECT_EQ(plugin.RemoveData("A", "CW", "20M"), 1);
    EXPECT_TRUE(tags().empty());
    EXPECT_EQ(plugin.RemoveData("A", "CW", "20M"), 1);
}

TEST_F(Plugin, RemoveKeepsTheOrderOfTheRest) {
    for (const char* c : {"A", "B", "C", "D", "E"}) plugin.AddData(qso(c, "CW", "20M"));
    plugin.RemoveData("B", "CW", "20M");
    plugin.RemoveData("D", "CW", "20M");
    plugin.AddData(qso("B", "CW", "20M"));
    plugin.RemoveData("A", "CW", "20M");
    EXPECT_EQ(calls(), (std::vector<std::string>{"C", "E", "B"}));
}

TEST_F(Plugin, EmptyWorkedCallCanBeRemoved) {
    plugin.AddData(qso("", "CW", "20M", "nameless"));
    plugin.AddData(qso("A", "CW", "20M", "named"));
    plugin.RemoveData("", "CW", "20M");
    EXPECT_EQ(tags(), std::vector<std::string>{"named"});
}

// ---- CheckCall: the UTC clock hour, date included ----

struct HourCase {
    const char* what;
    OleDateTime logged;
    CalendarTime now;
    std::int32_t expected;
};

void PrintTo(const HourCase& c, std::ostream* os) { *os << c.what; }

class RepeatHour : public Plugin, public ::testing::WithParamInterface<HourCase> {};

TEST_P(RepeatHour, BlocksOnlyTheSameDateAndHour) {
    const HourCase& c = GetParam();
    QsoFields q = sampleQso();
    q.time = c.logged;
    plugin.AddData(q);
    fakes.clock.now = c.now;
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, RepeatHour, ::testing::Values(
    HourCase{"same hour", validTime(2026, 6, 13, 12, 10), {2026, 6, 13, 12, 30, 0}, 4},
    HourCase{"start and end of the hour", validTime(2026, 6, 13, 12, 0), {2026, 6, 13, 12, 59, 59}, 4},
    HourCase{"13:59 does not block 14:00", validTime(2026, 6, 13, 13, 59, 59), {2026, 6, 13, 14, 0, 0}, 1},
    HourCase{"the hour before", validTime(2026, 6, 13, 11, 59), {2026, 6, 13, 12, 0, 0}, 1},
    HourCase{"yesterday at the same hour", validTime(2026, 6, 12, 13, 20), {2026, 6, 13, 13, 0, 0}, 1},
    HourCase{"a year earlier", validTime(2025, 6, 13, 12, 10), {2026, 6, 13, 12, 30, 0}, 1},
    HourCase{"last hour of the old year", validTime(2025, 12, 31, 23, 10), {2026, 1, 1, 23, 10, 0}, 1},
    HourCase{"rounded up into the hour",
             {fromCalendar({2026, 6, 13, 11, 59, 59}) + 0.6 / 86400.0, DateStatus::Valid},
             {2026, 6, 13, 12, 0, 0}, 4},
    HourCase{"invalid time", {validTime(2026, 6, 13, 12, 10).date, DateStatus::Invalid},
             {2026, 6, 13, 12, 30, 0}, 1},
    HourCase{"null time", {validTime(2026, 6, 13, 12, 10).date, DateStatus::Null}, {2026, 6, 13, 12, 30, 0}, 1},
    HourCase{"NaN", {std::nan(""), DateStatus::Valid}, {1899, 12, 30, 0, 30, 0}, 1},
    HourCase{"beyond 9999", {2958466.5, DateStatus::Valid}, {9999, 12, 31, 12, 0, 0}, 1},
    HourCase{"negative date", {-1.25, DateStatus::Valid}, {1899, 12, 29, 6, 15, 0}, 4}));

TEST_F(Plugin, EmptyLogLetsEveryoneThrough) {
    const CheckCallResult r = plugin.CheckCall("RA1XYZ", "CW", "20M");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.warning, "");
}

TEST_F(Plugin, RepeatNeedsTheSameCallModeAndBandExactly) {
    plugin.AddData(sampleQso());  // RA1XYZ, CW, 20M in the clock's hour
    const struct {
        const char* call;
        const char* mode;
        const char* band;
        std::int32_t expected;
    } cases[] = {{"RA1XYZ", "CW", "20M", 4}, {"RA1XYZ", "SSB", "20M", 1}, {"RA1XYZ", "CW", "40M", 1},
                 {"ra1xyz", "CW", "20M", 1}, {"RA1XY", "CW", "20M", 1}, {"RA1XYZ", "cw", "20M", 1},
                 {"RA1XYZ", "CW", "20m", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(plugin.CheckCall(c.call, c.mode, c.band).result, c.expected)
            << c.call << "/" << c.mode << "/" << c.band;
}

TEST_F(Plugin, WarningTextIsPrefixCallAndCyrillicTail) {
    plugin.AddData(sampleQso());
    const CheckCallResult r = plugin.CheckCall("RA1XYZ", "CW", "20M");
    ASSERT_EQ(r.result, 4);
    EXPECT_EQ(r.warning,
              "QSO c RA1XYZ \xC2 \xCE\xC4\xCD\xCE\xCC \xC8 \xD2\xCE\xCC \xC6\xC5 \xD2\xD3\xD0\xC5 "
              "\xCF\xD0\xCE\xC2\xCE\xC4\xC8\xD2\xDC \xCD\xC5\xCB\xDC\xC7\xDF !!!");
    EXPECT_EQ(r.warning.size(), 49u + 6u);

    // The whole text even for a call too long for the host's buffer; the export cuts it.
    const std::string longCall(60, 'K');
    plugin.AddData(qso(longCall, "CW", "20M"));
    EXPECT_EQ(plugin.CheckCall(longCall, "CW", "20M").warning.size(), 49u + 60u);
}

TEST_F(Plugin, RemovingTheBlockingQsoFreesTheStation) {
    QsoFields earlier = sampleQso();
    earlier.time = validTime(2026, 6, 13, 10, 5);
    plugin.AddData(earlier);       // oldest, another hour
    plugin.AddData(sampleQso());   // blocks
    plugin.AddData(sampleQso());   // blocks too
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 4);

    plugin.RemoveData("RA1XYZ", "CW", "20M");  // takes the 10:05 one
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 4);
    plugin.RemoveData("RA1XYZ", "CW", "20M");
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 4);
    plugin.RemoveData("RA1XYZ", "CW", "20M");
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 1);
}

TEST_F(Plugin, ResetForgetsEarlierRepeats) {
    plugin.AddData(sampleQso());
    plugin.ResetStats(0, "UA3ABC");
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 1);
}

// ---- ResetStats: companion, writeCabrillo, the station-details step ----

TEST_F(Plugin, CompanionIsStartedOnceAndEveryResetRewritesTheJournal) {
    for (int i = 0; i < 3; ++i) {
        QsoFields foreign = sampleQso();
        foreign.mode = "RTTY";
        plugin.AddData(foreign);
        EXPECT_EQ(plugin.ResetStats(0, "UA3ABC"), 1);
        EXPECT_EQ(fakes.files.files["err.txt"], "Velmor TEST UBN file \r\n");
    }
    EXPECT_EQ(fakes.launcher.started, std::vector<std::string>{".\\Plugins\\Orvin.exe"});
    EXPECT_TRUE(plugin.companionStarted());
}

TEST_F(Plugin, NothingBeforeTheFirstResetStartsTheCompanion) {
    plugin.AddData(sampleQso());
    plugin.RemoveData("RA1XYZ", "CW", "20M");
    plugin.CheckCall("RA1XYZ", "CW", "20M");
    EXPECT_TRUE(fakes.launcher.started.empty());
    EXPECT_FALSE(plugin.companionStarted());
    EXPECT_EQ(plugin.writeCabrillo(), 0);
}

TEST_F(Plugin, WriteCabrilloFollowsTheLastResetAndAsksForStationDetails) {
    EXPECT_EQ(plugin.ResetStats(1, "UA3ABC"), 1);
    EXPECT_EQ(plugin.writeCabrillo(), 1);
    EXPECT_EQ(fakes.ui.dialogOpenedWith.size(), 1u);

    // A cancelled dialog changes nothing about the reset.
    fakes.ui.dialog = [](StationDetails&) { return false; };
    plugin.AddData(sampleQso());
    EXPECT_EQ(plugin.ResetStats(-7, "UA3ABC"), 1);
    EXPECT_EQ(plugin.writeCabrillo(), -7);
    EXPECT_EQ(fakes.ui.dialogOpenedWith.size(), 2u);
    EXPECT_EQ(plugin.qsoLog().size(), 0u);
    EXPECT_EQ(fakes.files.files["err.txt"], "Velmor TEST UBN file \r\n");

    EXPECT_EQ(plugin.ResetStats(0, "UA3ABC"), 1);
    EXPECT_EQ(plugin.writeCabrillo(), 0);
    EXPECT_EQ(fakes.ui.dialogOpenedWith.size(), 2u);
}

}  // namespace
}  // namespace velmor
