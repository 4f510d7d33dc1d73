// RemoveData with the host's whole QSO: the record the host deleted goes, not merely the oldest of its station.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fakes.h"
#include "qso_builders.h"
#include "session/stats_plugin.h"

namespace velmor {
namespace {

using test::sampleQso;
using test::validTime;

class RemoveQso : public ::testing::Test {
protected:
    test::FakeServices fakes;
    StatsPlugin plugin{fakes.services()};

    // One station worked twice on 20M CW: "WM" at 12:05, "123" at 13:05.
    QsoFields wmAt1205() const {
        QsoFields q = sampleQso();
        q.exchRcvd = "WM";
        q.time = validTime(2026, 6, 13, 12, 5);
        return q;
    }
    QsoFields numberAt1305() const {
        QsoFields q = sampleQso();
        q.exchRcvd = "123";
        q.time = validTime(2026, 6, 13, 13, 5);
        return q;
    }
    std::vector<std::string> exchanges() const {
        std::vector<std::string> v;
        for (const CInfo& r : plugin.qsoLog().records()) v.push_back(r.exchRcvd + "/" + r.hostText23);
        return v;
    }
    // The score of a request (the host gets -1 while Cabrillo output is on).
    std::int32_t score() {
        std::int32_t s = 0;
        plugin.GetResult(&s);
        return plugin.claimedScore();
    }
};

// The operator's case: deleting the 13:05 QSO leaves the 12:05 "WM" one, its bonus, a free
// hour 13 and a Cabrillo file without the deleted QSO.
TEST_F(RemoveQso, TheDeletedQsoGoesNotTheOlderOneOfTheStation) {
    plugin.ResetStats(1, "UA3ABC");
    plugin.AddData(wmAt1205());
    plugin.AddData(numberAt1305());
    EXPECT_EQ(score(), 7);
    fakes.clock.now = CalendarTime{2026, 6, 13, 13, 40, 0};
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 4);

    EXPECT_EQ(plugin.RemoveData(numberAt1305()), 1);

    EXPECT_EQ(exchanges(), std::vector<std::string>{"WM/h23"});
    EXPECT_EQ(score(), 6);
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 1);
    fakes.clock.now = CalendarTime{2026, 6, 13, 12, 40, 0};
    EXPECT_EQ(plugin.CheckCall("RA1XYZ", "CW", "20M").result, 4);
    const std::string& file = fakes.files.files["UA3ABC.cbr"];
    EXPECT_NE(file.find("2026-06-13 1205"), std::string::npos) << file;
    EXPECT_EQ(file.find("2026-06-13 1305"), std::string::npos) << file;
}

// Which record goes, for passed QSOs that differ from the stored ones in one field.
struct MatchCase {
    const char* what;
    void (*change)(QsoFields&);  // applied to the passed copy of the second record
    const char* remaining;       // hostText23 tags left, in order
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.what; }

class RemoveQsoMatch : public RemoveQso, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(RemoveQsoMatch, RemovesTheExactRecordElseTheOldestOfTheStation) {
    // Three records of one station, band and mode, told apart by their tags.
    QsoFields a = sampleQso(), b = sampleQso(), c = sampleQso();
    a.hostText23 = "a";
    a.exchRcvd = "101";
    a.time = validTime(2026, 6, 13, 10, 0);
    b.hostText23 = "b";
    b.exchRcvd = "202";
    b.time = validTime(2026, 6, 13, 11, 0);
    c.hostText23 = "c";
    c.exchRcvd = "303";
    c.time = validTime(2026, 6, 13, 12, 0);
    for (const QsoFields& q : {a, b, c}) plugin.AddData(q);

    QsoFields passed = b;
    GetParam().change(passed);
    plugin.RemoveData(passed);

    std::string left;
    for (const CInfo& r : plugin.qsoLog().records()) left += r.hostText23;
    EXPECT_EQ(left, GetParam().remaining);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RemoveQsoMatch,
    ::testing::Values(
        MatchCase{"all equal", [](QsoFields&) {}, "ac"},
        // Fields that are not part of the match: frequency, reports, host texts, own call.
        MatchCase{"other frequency, reports and texts",
                  [](QsoFields& q) {
                      q.freqHz = 7000000;
                      q.rstSent = "111";
                      q.rstRcvd = "222";
                      q.hostText23 = "x";
                      q.hostText30 = "y";
                      q.ownCall = "R0AAA";
                  },
                  "ac"},
        MatchCase{"received exchange differs", [](QsoFields& q) { q.exchRcvd = "999"; }, "bc"},
        MatchCase{"sent exchange differs", [](QsoFields& q) { q.exchSent = "002"; }, "bc"},
        // QSO times compare as whole minutes: seconds never tell two QSOs apart.
        MatchCase{"time a second later in the same minute",
                  [](QsoFields& q) { q.time.date += 1.0 / 86400.0; }, "ac"},
        MatchCase{"time a minute later", [](QsoFields& q) { q.time.date += 60.0 / 86400.0; }, "bc"},
        MatchCase{"same value, other status",
                  [](QsoFields& q) { q.time.status = DateStatus::Invalid; }, "bc"},
        MatchCase{"other band", [](QsoFields& q) { q.band = "40M"; }, "abc"},
        MatchCase{"other call", [](QsoFields& q) { q.call = "RA1XY"; }, "abc"}),
    [](const ::testing::TestParamInfo<MatchCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) name += *p;
        return name;
    });

TEST_F(RemoveQso, TwoIdenticalQsosGoOneAtATime) {
    plugin.AddData(numberAt1305());
    plugin.AddData(numberAt1305());
    plugin.RemoveData(numberAt1305());
    EXPECT_EQ(plugin.qsoLog().size(), 1u);
    plugin.RemoveData(numberAt1305());
    EXPECT_EQ(plugin.qsoLog().size(), 0u);
    plugin.RemoveData(numberAt1305());  // not in the log: nothing happens
    EXPECT_EQ(plugin.qsoLog().size(), 0u);
}

TEST_F(RemoveQso, NanTimesNeverMatchNullRecordsDo) {
    QsoFields nanFirst = numberAt1305(), nanSecond = numberAt1305();
    nanFirst.hostText23 = "n1";
    nanSecond.hostText23 = "n2";
    nanFirst.time.date = nanSecond.time.date = std::numeric_limits<double>::quiet_NaN();
    plugin.AddData(nanFirst);
    plugin.AddData(nanSecond);
    // The NaN record never equals the passed one: the oldest of the station goes.
    plugin.RemoveData(nanSecond);
    EXPECT_EQ(exchanges(), std::vector<std::string>{"123/n2"});

    // Null records (as a missing date pointer gives) are equal to each other.
    plugin.ResetStats(0, "UA3ABC");
    QsoFields valid = numberAt1305(), null = numberAt1305();
    valid.hostText23 = "v";
    null.hostText23 = "z";
    null.time = OleDateTime{0.0, DateStatus::Null};
    plugin.AddData(valid);
    plugin.AddData(null);
    plugin.RemoveData(null);
    EXPECT_EQ(exchanges(), std::vector<std::string>{"123/v"});
}

}  // namespace
}  // namespace velmor
