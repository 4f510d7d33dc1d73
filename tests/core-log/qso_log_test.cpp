// QsoLog's indexes against plain walks over its records, through long random add/remove runs.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "log/flat_table.h"
#include "log/qso_log.h"
#include "qso_builders.h"

namespace velmor {
namespace {

CInfo record(std::string call, std::string mode, std::string band, OleDateTime time,
             std::string exchRcvd = "100", std::string tag = {}) {
    CInfo r;
    r.call = std::move(call);
    r.mode = std::move(mode);
    r.band = std::move(band);
    r.time = time;
    r.exchRcvd = std::move(exchRcvd);
    r.exchSent = "001";
    r.wmCall = r.exchRcvd == "WM" ? r.call : std::string();
    r.hostText23 = std::move(tag);
    return r;
}

// A time in June 2026, the month of every record here.
OleDateTime at(int day, int hour, int minute) { return test::at(2026, 6, day, hour, minute); }

// The statistics text's per-mode columns, in its order: BPSK63, CW, SSB.
constexpr std::size_t kBpsk63Column = 0, kCwColumn = 1, kSsbColumn = 2;

// The answers a literal walk over the records gives.
BandTally walkTally(const QsoLog& log, const std::string& band) {
    BandTally t;
    for (const CInfo& r : log.records()) {
        if (r.band != band || r.call.empty()) continue;
        ++t.qsos;
        if (r.mode == "BPSK63") ++t.modes[kBpsk63Column];
        if (r.mode == "CW") ++t.modes[kCwColumn];
        if (r.mode == "SSB") ++t.modes[kSsbColumn];
        if (!r.wmCall.empty()) ++t.wmRefs[r.wmCall];
    }
    return t;
}

bool walkWorkedInHour(const QsoLog& log, const std::string& call, const std::string& band,
                      const std::string& mode, const CalendarTime& now) {
    for (const CInfo& r : log.records()) {
        if (r.call != call || r.band != band || r.mode != mode) continue;
        if (r.time.status != DateStatus::Valid) continue;
        const auto c = toCalendar(r.time.date);
        if (c && c->year == now.year && c->month == now.month && c->day == now.day && c->hour == now.hour)
            return true;
    }
    return false;
}

void expectSameTally(const BandTally& got, const BandTally& want, const std::string& band) {
    EXPECT_EQ(got.qsos, want.qsos) << band;
    EXPECT_EQ(got.modes[kBpsk63Column], want.modes[kBpsk63Column]) << band;
    EXPECT_EQ(got.modes[kCwColumn], want.modes[kCwColumn]) << band;
    EXPECT_EQ(got.modes[kSsbColumn], want.modes[kSsbColumn]) << band;
    EXPECT_EQ(got.wmRefs, want.wmRefs) << band;
}

TEST(QsoLog, RemovalTakesTheOldestMatchAndKeepsTheOrderOfTheRest) {
    QsoLog log;
    log.add(record("A", "CW", "20M", at(13, 12, 0), "100", "a1"));
    log.add(record("B", "CW", "20M", at(13, 12, 1), "100", "b1"));
    log.add(record("A", "CW", "20M", at(13, 12, 2), "100", "a2"));
    log.add(record("A", "SSB", "20M", at(13, 12, 3), "100", "a-ssb"));
    log.add(record("A", "CW", "40M", at(13, 12, 4), "100", "a-40"));
    log.add(record("A", "CW", "20M", at(13, 12, 5), "100", "a3"));

    const auto tags = [&] {
        std::vector<std::string> t;
        for (const CInfo& r : log.records()) t.push_back(r.hostText23);
        return t;
    };
    EXPECT_TRUE(log.removeFirst("A", "CW", "20M"));
    EXPECT_EQ(tags(), (std::vector<std::string>{"b1", "a2", "a-ssb", "a-40", "a3"}));
    EXPECT_TRUE(log.removeFirst("A", "CW", "20M"));
    EXPECT_EQ(tags(), (std::vector<std::string>{"b1", "a-ssb", "a-40", "a3"}));
    EXPECT_FALSE(log.removeFirst("a", "CW", "20M"));
    EXPECT_FALSE(log.removeFirst("A", "CW", "15M"));
    EXPECT_TRUE(log.removeFirst("A", "CW", "20M"));
    EXPECT_FALSE(log.removeFirst("A", "CW", "20M"));
    EXPECT_EQ(tags(), (std::vector<std::string>{"b1", "a-ssb", "a-40"}));
}

TEST(QsoLog, WmStationLeavesTheBandWithItsLastRecord) {
    QsoLog log;
    log.add(record("W1", "CW", "20M", at(13, 10, 0), "WM"));
    log.add(record("W1", "SSB", "20M", at(13, 11, 0), "WM"));
    log.add(record("W1", "CW", "40M", at(13, 11, 0), "WM"));
    EXPECT_EQ(log.tally("20M").wmRefs.at("W1"), 2);

    log.removeFirst("W1", "CW", "20M");
    EXPECT_EQ(log.tally("20M").wmRefs.at("W1"), 1);
    log.removeFirst("W1", "SSB", "20M");
    EXPECT_TRUE(log.tally("20M").wmRefs.empty());
    EXPECT_EQ(log.tally("20M").qsos, 0);
    EXPECT_EQ(log.tally("40M").wmRefs.size(), 1u);

    const BandTally& unknown = log.tally("6M");
    EXPECT_EQ(unknown.qsos, 0);
    EXPECT_TRUE(unknown.wmRefs.empty());

    log.clear();
    EXPECT_EQ(log.size(), 0u);
    EXPECT_EQ(log.tally("40M").qsos, 0);
    EXPECT_FALSE(log.workedInHour("W1", "40M", "CW", clockHourKey({2026, 6, 13, 11, 0, 0})));
}

// Long random runs of adds and removals over a small alphabet, so groups fill and empty
// again many times; after every step the indexes must answer as the walks do.
TEST(QsoLog, IndexesAgreeWithWalksThroughRandomRuns) {
    // Besides short calls: long ones that differ only in their last byte, and one whose
    // length takes two bytes in the group key, so keys are held both inside the group's
    // entry and apart from it; the bands make otherwise equal keys fall on both sides.
    const std::string longCall(40, 'L');
    const std::vector<std::string> calls{"",           "R1A",           "R1B",
                                         "W2X",        "w2x",           longCall + "1",
                                         longCall + "2", std::string(200, 'K')};
    const std::vector<std::string> modes{"CW", "SSB", "BPSK63"};
    const std::vector<std::string> bands{"20M", "40M", "80", "2", "70CM-AND-A-LONGER-BAND-NAME"};
    const std::vector<std::string> exchanges{"100", "WM", "wm"};

    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
        QsoLog log;
        std::vector<CInfo> mirror;  // the log as a plain vector, edited by walks
        for (int step = 0; step < 600; ++step) {
            const std::string call = pick(calls), mode = pick(modes), band = pick(bands);
            if (rng() % 150 == 0) {
                log.clear();  // a reset in the middle of a run: indexes must start afresh
                mirror.clear();
            } else if (rng() % 3 != 0) {
                OleDateTime t = at(12 + static_cast<int>(rng() % 2), static_cast<int>(rng() % 3),
                                   static_cast<int>(rng() % 60));
                const unsigned kind = rng() % 10;
                if (kind == 0) t.status = DateStatus::Invalid;
                if (kind == 1) t.status = DateStatus::Null;
                if (kind == 2) t.date = std::numeric_limits<double>::quiet_NaN();
                if (kind == 3) t.date = 1e9;
                CInfo r = record(call, mode, band, t, pick(exchanges), std::to_string(step));
                mirror.push_back(r);
                log.add(r);
            } else {
                bool expected = false;
                for (auto it = mirror.begin(); it != mirror.end(); ++it) {
                    if (it->call == call && it->mode == mode && it->band == band) {
                        mirror.erase(it);
                        expected = true;
                        break;
                    }
                }
                ASSERT_EQ(log.removeFirst(call, mode, band), expected) << "step " << step;
            }

            ASSERT_EQ(log.size(), mirror.size());
            for (std::size_t i = 0; i < mirror.size(); ++i)
                ASSERT_EQ(log.at(i).hostText23, mirror[i].hostText23) << "step " << step;
            for (const std::string& b : bands) expectSameTally(log.tally(b), walkTally(log, b), b);
            for (int day = 12; day <= 13; ++day)
                for (int hour = 0; hour < 3; ++hour) {
                    const CalendarTime now{2026, 6, day, hour, 30, 0};
                    ASSERT_EQ(log.workedInHour(call, band, mode, clockHourKey(now)),
                              walkWorkedInHour(log, call, band, mode, now))
                        << "step " << step << " " << call << "/" << band << "/" << mode << " day "
                        << day << " hour " << hour;
                }
        }
    }
}

TEST(FlatTable, KeepsEqualKeysApartAndSurvivesGrowthAndClear) {
    FlatTable table;
    // Equal keys stand for different longer keys with the same hash; `same` picks one.
    table.insert(42, 7);
    table.insert(42, 9);
    for (std::uint32_t v = 100; v < 1100; ++v) table.insert(v * 0x100000001ull, v);
    ASSERT_NE(table.find(42, [](std::uint32_t v) { return v == 9; }), nullptr);
    EXPECT_EQ(*table.find(42, [](std::uint32_t v) { return v == 7; }), 7u);
    EXPECT_EQ(table.find(42, [](std::uint32_t v) { return v == 8; }), nullptr);
    for (std::uint32_t v = 100; v < 1100; ++v) {
        const std::uint32_t* found = table.find(v * 0x100000001ull);
        ASSERT_NE(found, nullptr) << v;
        EXPECT_EQ(*found, v);
    }
    EXPECT_EQ(table.find(99 * 0x100000001ull), nullptr);

    table.clear();
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.find(42), nullptr);
    EXPECT_EQ(table.find(500 * 0x100000001ull), nullptr);
    table.insert(500 * 0x100000001ull, 1);
    EXPECT_EQ(*table.find(500 * 0x100000001ull), 1u);
}

}  // namespace
}  // namespace velmor
