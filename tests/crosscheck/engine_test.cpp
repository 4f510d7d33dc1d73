// The cross-check engine's helpers and the rules' order where the example contest does not
// reach: one edit apart, period times, pairing by closeness, busts one at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <random>
#include <tuple>

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

// The rules walked plainly, as they read: every candidate pair listed and sorted, every open
// QSO scanned for a bust. The engine must give the same verdict and evidence to every QSO of
// contests crowded into a few minutes, where its searches differ most from this walk.
struct PlainQso {
    int log;
    std::string call;
    int band;
    std::int64_t minute;
    std::uint32_t line;
    std::string verdict;
    int link = -1;
    bool paired = false;
};

void plainWalk(const std::vector<std::string>& calls, std::vector<PlainQso>& q, int tol) {
    std::vector<int> order(calls.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return calls[a] < calls[b]; });
    std::vector<int> rank(calls.size());
    for (std::size_t k = 0; k < order.size(); ++k) rank[order[k]] = static_cast<int>(k);
    auto entrant = [&](const std::string& c) { return std::find(calls.begin(), calls.end(), c) != calls.end(); };
    // Dupes: same call, band, hour in one log; the lowest line counts.
    for (std::size_t i = 0; i < q.size(); ++i)
        for (std::size_t j = 0; j < q.size(); ++j)
            if (q[j].log == q[i].log && q[j].call == q[i].call && q[j].band == q[i].band &&
                clockHour(q[j].minute) == clockHour(q[i].minute) && q[j].line < q[i].line && q[i].verdict.empty()) {
                q[i].verdict = "DUPE";
                int first = static_cast<int>(j);
                for (std::size_t k = 0; k < q.size(); ++k)
                    if (q[k].log == q[i].log && q[k].call == q[i].call && q[k].band == q[i].band &&
                        clockHour(q[k].minute) == clockHour(q[i].minute) && q[k].line < q[first].line)
                        first = static_cast<int>(k);
                q[i].link = first;
            }
    auto settle = [&](int a, int b) {
        q[a].verdict = "OK";
        q[a].link = b;
        q[a].paired = true;
    };
    // Pairing: every candidate pair, sorted by (difference, line in the lower log, other line).
    std::vector<std::tuple<std::int64_t, std::uint32_t, std::uint32_t, int, int>> cands;
    for (std::size_t i = 0; i < q.size(); ++i)
        for (std::size_t j = 0; j < q.size(); ++j) {
            const PlainQso &x = q[i], &y = q[j];
            if (!x.verdict.empty() || !y.verdict.empty() || rank[x.log] >= rank[y.log]) continue;
            if (x.call != calls[y.log] || y.call != calls[x.log] || x.band != y.band) continue;
            const std::int64_t d = std::llabs(x.minute - y.minute);
            if (d <= tol) cands.emplace_back(d, x.line, y.line, static_cast<int>(i), static_cast<int>(j));
        }
    std::sort(cands.begin(), cands.end());
    for (const auto& [d, xl, yl, i, j] : cands)
        if (!q[i].paired && !q[j].paired) settle(i, j), settle(j, i);
    // Busts, one QSO at a time over the logs in call order.
    for (int a : order)
        for (std::size_t i = 0; i < q.size(); ++i) {
            if (q[i].log != a || !q[i].verdict.empty() || q[i].paired) continue;
            std::set<int> stations;
            int best = -1;
            for (std::size_t j = 0; j < q.size(); ++j) {
                const PlainQso& c = q[j];
                if (!c.verdict.empty() || c.paired || c.log == a || c.call != calls[a] || c.band != q[i].band) continue;
                if (std::llabs(c.minute - q[i].minute) > tol) continue;
                if (calls[c.log] == q[i].call || !oneEditApart(calls[c.log], q[i].call)) continue;
                stations.insert(c.log);
                if (best < 0 || std::make_tuple(std::llabs(c.minute - q[i].minute), c.line) <
                                    std::make_tuple(std::llabs(q[best].minute - q[i].minute), q[best].line))
                    best = static_cast<int>(j);
            }
            if (stations.size() != 1) continue;
            q[i].verdict = "BUSTED";
            q[i].link = best;
            q[i].paired = true;
            settle(best, static_cast<int>(i));
        }
    for (PlainQso& x : q) {
        if (!x.verdict.empty()) continue;
        if (entrant(x.call)) {
            x.verdict = "NIL";
            continue;
        }
        bool other = false;
        for (const PlainQso& y : q)
            if (y.log != x.log && y.call == x.call) other = true;
        x.verdict = other ? "UNVERIFIED" : "UNIQUE";
    }
}

TEST(DenseContests, EveryVerdictAsThePlainWalkGivesIt) {
    const int kBandFreqs[] = {1810, 3510, 7010, 14010};
    std::mt19937 random(20260516);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        // Calls of two or three letters of A and B: most are one edit from several others.
        auto randomCall = [&] {
            std::string c(2 + random() % 2, 'A');
            for (char& ch : c) ch = "AB"[random() % 2];
            return c;
        };
        std::vector<std::string> calls;
        while (calls.size() < 2 + random() % 5) {
            const std::string c = randomCall();
            if (std::find(calls.begin(), calls.end(), c) == calls.end()) calls.push_back(c);
        }
        const int tol = static_cast<int>(random() % 3);
        Options o;
        o.toleranceMinutes = tol;
        Engine e(o);
        std::vector<PlainQso> plain;
        std::vector<std::string> worked;
        for (std::size_t l = 0; l < calls.size(); ++l) {
            e.addLog(calls[l], "A1", calls[l] + ".cbr");
            const int n = static_cast<int>(random() % 25);
            for (int k = 0; k < n; ++k) {
                PlainQso p{static_cast<int>(l), random() % 3 ? calls[random() % calls.size()] : randomCall(),
                           static_cast<int>(random() % 2), static_cast<std::int64_t>(random() % 5 + 60 * (random() % 3)),
                           static_cast<std::uint32_t>(k + 1), {}};
                worked.push_back(p.call);
                QsoInput in;
                in.line = p.line;
                in.freqKHz = kBandFreqs[p.band];
                in.minute = p.minute;
                in.call = worked.back();
                in.exchSent = "001";
                in.exchRcvd = "001";
                e.addQso(in);
                plain.push_back(std::move(p));
            }
        }
        e.run();
        plainWalk(calls, plain, tol);
        ASSERT_EQ(e.qsoCount(), plain.size());
        for (std::uint32_t i = 0; i < e.qsoCount(); ++i) {
            const Engine::QsoResult r = e.qso(i);
            EXPECT_EQ(verdictName(r.verdict), plain[i].verdict) << "QSO " << i << " " << plain[i].call;
            if (plain[i].link >= 0) {
                EXPECT_EQ(r.partner, std::optional<std::uint32_t>(plain[i].link)) << "QSO " << i;
            }
        }
    }
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
