// Random call sequences applied to the plug-in and to the plain-walk reference, compared step by step.
//
// Seeded: VELMOR_DIFF_SEED (default 20260613), VELMOR_DIFF_RUNS (default 400) and
// VELMOR_DIFF_STEPS (calls per run, default 500) choose the runs; run r uses seed + r.
// A failure prints the seed that replays that one run and the calls that led to it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "reference_plugin.h"
#include "session/stats_plugin.h"
#include "fakes.h"

namespace velmor {
namespace {

using reference::ReferenceIsValidExchange;
using reference::ReferencePlugin;
using test::FakeServices;

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    return std::strtoull(text, nullptr, 10);
}

// Small pools, so that calls, bands and hours collide often. Each holds the cases the
// rules treat specially: empty texts, letter case, long and non-ASCII texts, equal sort
// keys ("7", "07"), texts of 20 and more characters.
const std::vector<std::string> kCalls = {"UA1A", "UA1A", "RK3B", "RK3B", "ua1a", "R9X/P", "WM", "",
                                         "DL1XYZABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJKL",
                                         "\xD0\xC0\xC4\xC8\xCE"};
const std::vector<std::string> kBands = {"160", "80", "40", "40", "20M", "40M", "7", "07", "3.5", "10",
                                         "", "BAND-OF-TWENTY-CHARS", "A-BAND-LONGER-THAN-TWENTY"};
const std::vector<std::string> kModes = {"CW", "CW", "SSB", "SSB", "BPSK63", "BPSK63",
                                         "cw", "RTTY", "BPSK31", ""};
const std::vector<std::string> kExchRcvd = {"001", "123", "999", "WM", "WM", "599", "wm", "WM1", " WM",
                                            "0", "", "\xC0\xC1\xC2"};
const std::vector<std::string> kExchSent = {"001", "050", "599", "WM", "", "12345678"};
const std::vector<std::string> kRst = {"599", "59", "", "5NN"};
const std::vector<std::string> kOwnCalls = {"UA1ABC", "R/UA1A ", "", "UA9XYZ"};
const std::vector<std::uint32_t> kFreqs = {0u, 999u, 1000u, 1999u, 3525999u, 7012000u,
                                           14025500u, 144000000u, 4294967295u};

class Script {
public:
    explicit Script(std::uint64_t seed) : rng_(seed) {}

    template <typename T>
    const T& pick(const std::vector<T>& pool) {
        return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng_)];
    }
    int number(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(int percent) { return number(1, 100) <= percent; }

    // A clock time over three days, so that the same hour of day on another date occurs.
    CalendarTime clockTime() {
        return CalendarTime{2026, 6, number(12, 14), number(10, 13), number(0, 59), number(0, 59)};
    }

    // A QSO time: mostly valid and near the clock's hours, sometimes at a second's edge
    // (rounding carries into the next hour), invalid, null or with no calendar date.
    OleDateTime qsoTime() {
        OleDateTime t;
        t.date = fromCalendar(clockTime());
        const int kind = number(1, 100);
        if (kind <= 8) {
            t.date = fromCalendar(CalendarTime{2026, 6, number(12, 14), number(10, 12), 59, 59}) +
                     (chance(50) ? 0.5 : 0.49) / 86400.0;
        } else if (kind <= 12) {
            t.status = DateStatus::Invalid;
        } else if (kind <= 16) {
            t.status = DateStatus::Null;
        } else if (kind <= 22) {
            const double odd[] = {std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), 1.0e7, -700000.0};
            t.date = odd[number(0, 4)];
        }
        return t;
    }

    QsoFields qso() {
        QsoFields q;
        q.ownCall = pick(kOwnCalls);
        q.call = pick(kCalls);
        q.time = qsoTime();
        q.freqHz = pick(kFreqs);
        q.mode = pick(kModes);
        q.rstSent = pick(kRst);
        q.rstRcvd = pick(kRst);
        q.exchSent = pick(kExchSent);
        q.exchRcvd = pick(kExchRcvd);
        q.hostText23 = chance(50) ? "" : "t23";
        q.hostText30 = chance(50) ? "" : "t30";
        q.band = pick(kBands);
        return q;
    }

private:
    std::mt19937_64 rng_;
};

std::string describe(const CInfo& r) {
    std::ostringstream s;
    s << "{call='" << r.call << "' band='" << r.band << "' mode='" << r.mode << "' rstR='" << r.rstRcvd
      << "' rstS='" << r.rstSent << "' exR='" << r.exchRcvd << "' exS='" << r.exchSent << "' wm='"
      << r.wmCall << "' h23='" << r.hostText23 << "' h30='" << r.hostText30 << "' kHz=" << r.freqKHz
      << " t=" << r.time.date << "/" << static_cast<int>(r.time.status) << "}";
    return s.str();
}

bool sameRecord(const CInfo& a, const CInfo& b) {
    const bool sameTime = a.time.status == b.time.status &&
                          (a.time.date == b.time.date || (std::isnan(a.time.date) && std::isnan(b.time.date)));
    return a.call == b.call && a.hostText23 == b.hostText23 && a.hostText30 == b.hostText30 &&
           a.band == b.band && a.mode == b.mode && a.rstRcvd == b.rstRcvd && a.rstSent == b.rstSent &&
           a.exchRcvd == b.exchRcvd && a.exchSent == b.exchSent && a.wmCall == b.wmCall &&
           a.freqKHz == b.freqKHz && sameTime;
}

std::string describe(const QsoFields& q) {
    std::ostringstream s;
    s << "call='" << q.call << "' band='" << q.band << "' mode='" << q.mode << "' exS='" << q.exchSent
      << "' exR='" << q.exchRcvd << "' Hz=" << q.freqHz << " t=" << q.time.date << "/"
      << static_cast<int>(q.time.status);
    return s.str();
}

// The plug-in and the reference, each with its own fakes.
struct Pair {
    FakeServices plugSide;
    FakeServices refSide;
    StatsPlugin plugin{plugSide.services()};
    ReferencePlugin ref{refSide.services()};
    int journalOpensForStoredQsos = 0;

    // Everything either keeps, compared whole.
    void compareState() {
        const auto& records = plugin.qsoLog().records();
        ASSERT_EQ(records.size(), ref.qsoLog().size()) << "qsoLog size";
        for (std::size_t i = 0; i < records.size(); ++i)
            ASSERT_TRUE(sameRecord(records[i], ref.qsoLog()[i]))
                << "qsoLog[" << i << "]\n plug-in:   " << describe(records[i])
                << "\n reference: " << describe(ref.qsoLog()[i]);
        EXPECT_EQ(plugin.bandList(), ref.bandList()) << "bandList";
        EXPECT_EQ(plugin.claimedScore(), ref.claimedScore());
        EXPECT_EQ(plugin.writeCabrillo(), ref.writeCabrillo());
        EXPECT_EQ(plugin.companionStarted(), ref.companionStarted());
        EXPECT_EQ(plugin.cabrillo().qsoLines, ref.cabrillo().qsoLines) << "Cabrillo lines";
        EXPECT_EQ(plugin.cabrillo().baseName, ref.cabrillo().baseName);
        EXPECT_EQ(plugSide.files.files, refSide.files.files) << "files (journal, Cabrillo log)";
        EXPECT_EQ(plugSide.settings.writes, refSide.settings.writes) << "settings writes";
        EXPECT_EQ(plugSide.ui.outputs, refSide.ui.outputs) << "Output messages";
        EXPECT_EQ(plugSide.ui.dialogOpenedWith.size(), refSide.ui.dialogOpenedWith.size());
        EXPECT_EQ(plugSide.launcher.started, refSide.launcher.started);
    }
};

// One step of a run: picks a call, applies it to both sides, compares the answers.
// Returns a line for the replay history.
std::string step(Script& s, Pair& p) {
    const int op = s.number(1, 100);
    std::ostringstream what;

    if (op <= 3) {  // ResetStats, sometimes with Cabrillo output and its dialog
        const std::int32_t write = s.chance(50) ? 0 : s.pick(std::vector<std::int32_t>{1, -1, 7});
        const std::string own = s.pick(kOwnCalls);
        const bool confirm = s.chance(70);
        const std::string name = s.chance(50) ? "Ivan" : "Line one\r\nLine two";
        auto dialog = [confirm, name](StationDetails& d) {
            d.name = name;
            d.address = "Street 1\r\nTown";
            return confirm;
        };
        p.plugSide.ui.dialog = dialog;
        p.refSide.ui.dialog = dialog;
        what << "ResetStats(" << write << ", '" << own << "') dialog " << (confirm ? "OK" : "Cancel");
        EXPECT_EQ(p.plugin.ResetStats(write, own), p.ref.ResetStats(write, own));
    } else if (op <= 55) {  // AddData
        const QsoFields q = s.qso();
        what << "AddData(" << describe(q) << ")";
        const std::size_t opensBefore = p.plugSide.files.opened.size();
        const std::int32_t got = p.plugin.AddData(q);
        EXPECT_EQ(got, p.ref.AddData(q)) << what.str();
        if (got == 1 && p.plugSide.files.opened.size() != opensBefore) ++p.journalOpensForStoredQsos;
    } else if (op <= 68) {  // RemoveData: a logged QSO whole, or changed, or one that is not there
        QsoFields q = s.qso();
        const auto& log = p.ref.qsoLog();
        if (!log.empty() && s.chance(70)) {
            const CInfo& r = log[static_cast<std::size_t>(s.number(0, static_cast<int>(log.size()) - 1))];
            q.call = r.call;
            q.mode = r.mode;
            q.band = r.band;
            // Mostly the stored QSO itself; else one field as the random QSO has it, so
            // the oldest of the station goes when nothing matches exactly.
            if (s.chance(75)) {
                q.exchSent = r.exchSent;
                q.exchRcvd = r.exchRcvd;
                q.time = r.time;
                if (s.chance(10)) q.exchRcvd = s.pick(kExchRcvd);
            }
        }
        what << "RemoveData(" << describe(q) << ")";
        EXPECT_EQ(p.plugin.RemoveData(q), p.ref.RemoveData(q));
    } else if (op <= 86) {  // CheckCall at a set clock
        const CalendarTime now = s.clockTime();
        p.plugSide.clock.now = now;
        p.refSide.clock.now = now;
        std::string call = s.pick(kCalls), mode = s.pick(kModes), band = s.pick(kBands);
        const auto& log = p.ref.qsoLog();
        if (!log.empty() && s.chance(60)) {
            const CInfo& r = log[static_cast<std::size_t>(s.number(0, static_cast<int>(log.size()) - 1))];
            call = r.call;
            mode = r.mode;
            band = r.band;
        }
        what << "CheckCall('" << call << "', '" << mode << "', '" << band << "') at 2026-06-" << now.day
             << " " << now.hour << ":" << now.minute << ":" << now.second;
        const CheckCallResult got = p.plugin.CheckCall(call, mode, band);
        const CheckCallResult want = p.ref.CheckCall(call, mode, band);
        EXPECT_EQ(got.result, want.result) << what.str();
        EXPECT_EQ(got.warning, want.warning) << what.str();
    } else if (op <= 94) {  // GetResult
        std::int32_t gotScore = 12345, wantScore = 54321;
        what << "GetResult";
        const std::string got = p.plugin.GetResult(&gotScore);
        const std::string want = p.ref.GetResult(&wantScore);
        EXPECT_EQ(got, want) << "statistics text";
        EXPECT_EQ(gotScore, wantScore) << "score";
    } else if (op <= 97) {  // the extra Cabrillo header file comes, changes or goes
        const int kind = s.number(0, 3);
        const std::string texts[] = {"", "SOAPBOX: extra\r\n", "X-LINE: no line end"};
        what << "cabrillo.ini " << (kind == 3 ? "removed" : "= '" + texts[kind] + "'");
        for (FakeServices* side : {&p.plugSide, &p.refSide}) {
            if (kind == 3)
                side->files.files.erase("cabrillo.ini");
            else
                side->files.files["cabrillo.ini"] = texts[kind];
        }
    } else {  // IsValidExchg0 on the exchanges of the pool and three-character texts
        std::string ex = s.pick(kExchRcvd);
        if (s.chance(50)) ex = std::string{char(s.number(32, 255)), char(s.number(47, 58)), char(s.number(47, 58))};
        what << "IsValidExchange('" << ex << "')";
        EXPECT_EQ(IsValidExchange(ex), ReferenceIsValidExchange(ex)) << what.str();
    }
    p.compareState();
    return what.str();
}

TEST(Differential, PluginAnswersAsTheLiteralWalksDo) {
    const std::uint64_t seed = envNumber("VELMOR_DIFF_SEED", 20260613);
    const std::uint64_t runs = envNumber("VELMOR_DIFF_RUNS", 400);
    const int steps = static_cast<int>(envNumber("VELMOR_DIFF_STEPS", 500));

    for (std::uint64_t run = 0; run < runs; ++run) {
        const std::uint64_t runSeed = seed + run;
        Script script(runSeed);
        Pair pair;
        std::vector<std::string> history;
        for (int i = 0; i < steps; ++i) {
            history.push_back(step(script, pair));
            if (::testing::Test::HasFailure()) {
                std::ostringstream replay;
                replay << "Replay with VELMOR_DIFF_SEED=" << runSeed << " VELMOR_DIFF_RUNS=1 (step " << i
                       << "). Last calls:\n";
                for (std::size_t h = history.size() > 12 ? history.size() - 12 : 0; h < history.size(); ++h)
                    replay << "  " << h << ": " << history[h] << "\n";
                FAIL() << replay.str();
            }
        }
        // Stored QSOs touch the journal at most once per load (to make sure it exists).
        ASSERT_LE(pair.journalOpensForStoredQsos, 1)
            << "err.txt opened for stored QSOs; replay with VELMOR_DIFF_SEED=" << runSeed << " VELMOR_DIFF_RUNS=1";
    }
}

}  // namespace
}  // namespace velmor
