// The cross-check engine's helpers and the rules' order where the example contest does not
// reach: one edit apart, period times, pairing by closeness, busts one at a time.
#include <gtest/gtest.h>

#include "crosscheck/crosscheck_run.h"
#include "crosscheck/engine.h"
#include "services/calendar_time.h"

namespace velmor::crosscheck {
namespace {

TEST(OneEditApart, ChangedAddedDroppedOrSwappedCharacters) {
    struct Case {
        const char* a;
        const char* b;
        bool apart;
    };
    const Case cases[] = {
        {"UA3CCC", "UA3CCD", true},   // changed
        {"UA3CCC", "UA3CC", true},    // dropped at the end
        {"UA3CCC", "A3CC", false},    // two dropped
        {"UA3CCC", "UA3CCCC", true},  // added
        {"UA3CCC", "UA33CCC", true},  // added in the middle
        {"UA3ABC", "UA3BAC", true},   // neighbours swapped
        {"UA3ABC", "UA3CBA", false},  // not neighbours
        {"UA3ABC", "UA3ABC", false},  // equal
        {"UA3ABC", "UA3XYC", false},  // two changed
        {"", "A", true},
        {"", "", false},
        {"AB", "BA", true},
        {"UA3ABC", "UA3AB", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(oneEditApart(c.a, c.b), c.apart) << c.a << " " << c.b;
        EXPECT_EQ(oneEditApart(c.b, c.a), c.apart) << c.b << " " << c.a;
    }
}

TEST(PeriodTime, RealDatesAndTimesOnly) {
    EXPECT_EQ(parsePeriodTime("1970-01-01T00:00"), 0);
    EXPECT_EQ(parsePeriodTime("2026-05-16T12:00"), minutesSinceEpoch({2026, 5, 16, 12, 0, 0}));
    EXPECT_EQ(*parsePeriodTime("2024-02-29T23:59") + 1, *parsePeriodTime("2024-03-01T00:00"));
    for (const char* bad : {"2026-02-29T12:00", "2026-05-16T24:00", "2026-05-16T12:60", "2026-05-16 12:00",
                            "2026-5-16T12:00", "", "2026-05-16T12:00Z", "2026-13-01T00:00"})
        EXPECT_FALSE(parsePeriodTime(bad)) << bad;
}

// Builds a contest straight on the engine, QSO lines as (own log, worked call, minute).
struct Line {
    const char* call;
    int minute;
    const char* rcvd = "001";
    const char* sent = "001";
};
Engine run(const std::vector<std::pair<const char*, std::vector<Line>>>& logs, int tolerance = 5) {
    Options o;
    o.toleranceMinutes = tolerance;
    Engine e(o);
    for (const auto& [call, lines] : logs) {
        e.addLog(call, "A1", std::string(call) + ".cbr");
        std::uint32_t n = 0;
        for (const Line& l : lines) {
            QsoInput q;
            q.line = ++n;
            q.freqKHz = 14020;
            q.minute = minutesSinceEpoch({2026, 5, 16, 12, 0, 0}) + l.minute;
            q.call = l.call;
            q.exchSent = l.sent;
            q.exchRcvd = l.rcvd;
            e.addQso(q);
        }
    }
    e.run();
    return e;
}
std::vector<std::string> verdicts(const Engine& e) {
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < e.qsoCount(); ++i) out.emplace_back(verdictName(e.qso(i).verdict));
    return out;
}

TEST(Pairing, TheClosestPairsWinOverLineOrder) {
    // A logged B at 12:00 and 13:03, B logged A at 13:01 and 12:03 (in that line order).
    const Engine e = run({{"UA1AA", {{"UA2BB", 0}, {"UA2BB", 63}}}, {"UA2BB", {{"UA1AA", 61}, {"UA1AA", 3}}}});
    // A@0 pairs B@3 (3 min), A@63 pairs B@61 (2 min); nothing is left over.
    EXPECT_EQ(verdicts(e), (std::vector<std::string>{"OK", "OK", "OK", "OK"}));
    EXPECT_EQ(*e.qso(0).partner, 3u);
    EXPECT_EQ(*e.qso(1).partner, 2u);
}

TEST(Pairing, ReceivedExchangeAgainstThePartnersSentOne) {
    const Engine e = run({{"UA1AA", {{"UA2BB", 0, "WM", "001"}}}, {"UA2BB", {{"UA1AA", 1, "002", "WM"}}}});
    EXPECT_EQ(verdicts(e), (std::vector<std::string>{"OK", "BAD-EXCH"}));
}

TEST(Busts, AStationTakenByOneBustIsNotOfferedToTheNext) {
    // UA1AB and UA1AC both logged "UA2BC", one edit from UA2BB; UA2BB logged only UA1AB.
    // UA1AB's bust takes UA2BB's QSO; UA1AC's line is left with a call that sent no log.
    const Engine e = run({{"UA1AB", {{"UA2BC", 0}}}, {"UA1AC", {{"UA2BC", 1}}}, {"UA2BB", {{"UA1AB", 0}}}});
    EXPECT_EQ(verdicts(e), (std::vector<std::string>{"BUSTED", "UNVERIFIED", "OK"}));
}

TEST(Busts, TwoPossibleStationsMakeNoBust) {
    const Engine e =
        run({{"UA1AA", {{"UA2BX", 0}}}, {"UA2BB", {{"UA1AA", 0}}}, {"UA2BC", {{"UA1AA", 2}}}});
    EXPECT_EQ(verdicts(e), (std::vector<std::string>{"UNIQUE", "NIL", "NIL"}));
}

TEST(Scoring, OnePointPerCountedQsoAndFivePerWmStationOncePerBand) {
    Options o;
    Engine e(o);
    e.addLog("UA1AA", "A1", "a.cbr");
    const char* calls[] = {"R1WM", "R1WM", "R2WM", "R3NO"};
    const int freqs[] = {14020, 7020, 14030, 14040};
    const int minutes[] = {0, 0, 0, 70};
    const char* rcvd[] = {"WM", "WM", "WM", "001"};
    for (int i = 0; i < 4; ++i) {
        QsoInput q;
        q.line = static_cast<std::uint32_t>(i + 1);
        q.freqKHz = freqs[i];
        q.minute = minutes[i];
        q.call = calls[i];
        q.exchSent = "001";
        q.exchRcvd = rcvd[i];
        e.addQso(q);
    }
    e.run();
    // 4 QSOs; R1WM on 20 m and 40 m, R2WM on 20 m: three bonuses.
    EXPECT_EQ(e.summary(0).score, 4 + 3 * 5);
    EXPECT_EQ(e.summary(0).counted, 4u);
}

}  // namespace
}  // namespace velmor::crosscheck
