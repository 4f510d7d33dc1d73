// Fuzz target: any sequence of the entry points' calls on the plug-in, checked after each call against the rules and a plain model of the log.
//
// The input is read as calls: reset, add, remove, check, exchange check and score requests
// (with and without Cabrillo output), with texts from small pools (so that stations, bands
// and hours collide), raw bytes or 64 KB runs, any date value and status, any frequency.
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "boundary_guard.h"
#include "cabrillo/cabrillo_log.h"
#include "fakes.h"
#include "fuzz_input.h"
#include "log/contest_rules.h"
#include "services/file_name.h"
#include "score/statistics_report.h"
#include "session/stats_plugin.h"

using velmor::fuzz::Input;

namespace velmor {
namespace {

const std::vector<std::string> kCalls = {"UA1A", "RK3B", "WM", "", "ua1a", "R9X/P", "C:RA3FLT", "CON",
                                         "\xD0\xC0\xC4\xC8\xCE"};
const std::vector<std::string> kBands = {"20M", "40M", "7", "07", "", "3.5", "BAND-OF-TWENTY-CHARS"};
const std::vector<std::string> kModes = {"CW", "SSB", "BPSK63", "cw", "RTTY", ""};
const std::vector<std::string> kExchanges = {"001", "123", "WM", "599", "", "000", "wm", "12"};

std::string text(Input& in, const std::vector<std::string>& pool) {
    const std::uint8_t how = in.byte();
    if (how < 200) return pool[how % pool.size()];
    // 64 KB texts only behind a second byte: a log full of them makes each Cabrillo
    // request megabytes long and the run crawl.
    if (how < 255 || in.byte() != 0xFF) return in.text();
    return std::string(std::size_t{1} << 16, static_cast<char>(in.byte()));  // 64 KB
}

OleDateTime date(Input& in) {
    OleDateTime t;
    const std::uint8_t how = in.byte();
    if (how < 180) {  // 2026-06-13 to 15, 10:00 to 13:59, on whole minutes
        t.date = fromCalendar(CalendarTime{2026, 6, 13 + how % 3, 10 + (how / 3) % 4, in.byte() % 60, 0});
    } else {
        t.date = in.f64();  // NaN, infinities, 1e308, before year 100, after 9999
    }
    t.status = static_cast<DateStatus>(in.byte() % 3);
    return t;
}

QsoFields qso(Input& in) {
    QsoFields q;
    q.ownCall = text(in, kCalls);
    q.call = text(in, kCalls);
    q.time = date(in);
    q.freqHz = in.u32();
    q.mode = text(in, kModes);
    q.rstSent = text(in, {"599", ""});
    q.rstRcvd = text(in, {"579", ""});
    q.exchSent = text(in, kExchanges);
    q.exchRcvd = text(in, kExchanges);
    q.hostText23 = text(in, {"", "h23"});
    q.hostText30 = text(in, {"", "h30"});
    q.band = text(in, kBands);
    return q;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool isContestMode(const std::string& mode) {
    for (const rules::ModeRule& m : rules::kModes)
        if (mode == m.hostName) return true;
    return false;
}

// The log as the rules say it is: records in order of arrival, removal by the exact QSO
// first, else the oldest of its call, mode and band.
struct Model {
    std::vector<QsoFields> log;

    void remove(const QsoFields& q) {
        auto sameGroup = [&](const QsoFields& r) { return r.call == q.call && r.mode == q.mode && r.band == q.band; };
        for (auto it = log.begin(); it != log.end(); ++it)
            if (sameGroup(*it) && it->exchSent == q.exchSent && it->exchRcvd == q.exchRcvd &&
                it->time.status == q.time.status && it->time.date == q.time.date) {
                log.erase(it);
                return;
            }
        for (auto it = log.begin(); it != log.end(); ++it)
            if (sameGroup(*it)) {
                log.erase(it);
                return;
            }
    }
    bool repeat(const std::string& call, const std::string& mode, const std::string& band,
                const CalendarTime& now) const {
        for (const QsoFields& r : log) {
            if (r.call != call || r.mode != mode || r.band != band) continue;
            if (r.time.status != DateStatus::Valid) continue;
            const auto c = toCalendar(r.time.date);
            if (c && c->year == now.year && c->month == now.month && c->day == now.day && c->hour == now.hour)
                return true;
        }
        return false;
    }
    std::int32_t score() const {
        std::set<std::string> bands;
        std::set<std::pair<std::string, std::string>> wm;  // (band, call)
        std::int32_t points = 0;
        for (const QsoFields& r : log) {
            if (r.call.empty()) continue;
            ++points;
            if (r.exchRcvd == rules::kWmExchange) wm.emplace(r.band, r.call);
        }
        return points + static_cast<std::int32_t>(wm.size()) * rules::kWmBonus;
    }
};

std::int32_t modelIsValidExchange(const std::string& e) {
    if (e == "WM") return 1;
    if (e.size() != 3 || e == "599" || e == "000") return 0;
    for (char c : e)
        if (c < '0' || c > '9') return 0;
    return 1;
}

void checkState(const StatsPlugin& plugin, const Model& model) {
    const auto& records = plugin.qsoLog().records();
    FUZZ_CHECK(records.size() == model.log.size());
    const BandList& bands = plugin.bandList();
    const std::set<std::string> bandSet(bands.begin(), bands.end());
    FUZZ_CHECK(bandSet.size() == bands.size());  // each band once
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CInfo& r = records[i];
        const QsoFields& m = model.log[i];
        FUZZ_CHECK(bandSet.count(r.band) == 1);
        FUZZ_CHECK(isContestMode(r.mode));
        FUZZ_CHECK(r.call == m.call && r.band == m.band && r.mode == m.mode);
        FUZZ_CHECK(r.exchSent == m.exchSent && r.exchRcvd == m.exchRcvd);
        FUZZ_CHECK(r.rstSent == m.rstSent && r.rstRcvd == m.rstRcvd);
        FUZZ_CHECK(r.hostText23 == m.hostText23 && r.hostText30 == m.hostText30);
        FUZZ_CHECK(r.freqKHz == m.freqHz / 1000u);
        FUZZ_CHECK(r.time.status == m.time.status && sameBits(r.time.date, m.time.date));
        FUZZ_CHECK(r.wmCall == (m.exchRcvd == "WM" ? m.call : std::string()));
    }
}

}  // namespace
}  // namespace velmor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    Input in(data, size);
    test::FakeServices fakes;
    StatsPlugin plugin(fakes.services());
    Model model;

    for (int calls = 0; !in.done() && calls < 200; ++calls) {
        switch (in.byte() % 9) {
            case 0: {  // ResetStats0, with Cabrillo output and the dialog or without
                const std::int32_t write = static_cast<std::int32_t>(in.u32() % 3) - 1;
                const bool confirm = in.byte() & 1;
                const std::string typed = text(in, kCalls);
                fakes.ui.dialog = [confirm, typed](StationDetails& d) {
                    d.address = typed;
                    d.soapbox = typed + "\r\n" + typed;
                    return confirm;
                };
                FUZZ_CHECK(plugin.ResetStats(write, text(in, kCalls)) == 1);
                model.log.clear();
                FUZZ_CHECK(plugin.bandList().empty());
                break;
            }
            case 1: case 2: case 3: {  // AddData0
                const QsoFields q = qso(in);
                const bool stored = isContestMode(q.mode) && !q.exchSent.empty() && !q.exchRcvd.empty();
                FUZZ_CHECK(plugin.AddData(q) == (stored ? 1 : 0));
                if (stored) model.log.push_back(q);
                break;
            }
            case 4: {  // RemoveData0: mostly a logged QSO, sometimes with one field changed
                QsoFields q = qso(in);
                if (!model.log.empty() && (in.byte() % 4) != 0) {
                    const QsoFields& r = model.log[in.u16() % model.log.size()];
                    const std::uint8_t change = in.byte() % 4;
                    q.call = r.call;
                    q.mode = r.mode;
                    q.band = r.band;
                    if (change != 1) q.exchSent = r.exchSent;
                    if (change != 2) q.exchRcvd = r.exchRcvd;
                    if (change != 3) q.time = r.time;
                }
                FUZZ_CHECK(plugin.RemoveData(q) == 1);
                model.remove(q);
                break;
            }
            case 5: {  // CheckCall0 at a clock time, through the host's 100-byte buffer
                fakes.clock.now = CalendarTime{2026, 6, 13 + in.byte() % 3, 10 + in.byte() % 4, in.byte() % 60, 0};
                const std::string call = text(in, kCalls), mode = text(in, kModes), band = text(in, kBands);
                const CheckCallResult r = plugin.CheckCall(call, mode, band);
                FUZZ_CHECK(r.result == (model.repeat(call, mode, band, fakes.clock.now) ? 4 : 1));
                char host[8 + 100 + 8];
                std::memset(host, 0x5A, sizeof host);
                if (r.result == 4) boundary::copyToHostBuffer(r.warning.data(), r.warning.size(), host + 8, 100);
                for (int i = 0; i < 8; ++i) FUZZ_CHECK(host[i] == 0x5A && host[108 + i] == 0x5A);
                if (r.result == 4) {
                    const std::size_t n = strnlen(host + 8, 100);
                    FUZZ_CHECK(n < 100 && r.warning.compare(0, n, host + 8, n) == 0);
                    FUZZ_CHECK(n == (r.warning.size() < 99 ? r.warning.size() : 99));
                }
                break;
            }
            case 6: {  // IsValidExchg0
                const std::string e = text(in, kExchanges);
                FUZZ_CHECK(IsValidExchange(e) == modelIsValidExchange(e));
                break;
            }
            case 7: {  // GetResult0, with Cabrillo output when the last reset asked for it
                std::int32_t score = 12345;
                const std::size_t outputs = fakes.ui.outputs.size();
                const std::string& result = plugin.GetResult(&score);
                const std::int32_t points = plugin.claimedScore();
                FUZZ_CHECK(points == model.score());
                std::int32_t sum = 0;
                for (const std::string& band : plugin.bandList()) sum += bandPoints(plugin.qsoLog().tally(band));
                FUZZ_CHECK(sum == points);
                const std::string scoreLine = "\r\nScore:  " + std::to_string(points);
                FUZZ_CHECK(result.size() >= scoreLine.size() &&
                           result.compare(result.size() - scoreLine.size(), scoreLine.size(), scoreLine) == 0);
                if (plugin.writeCabrillo() != 0) {
                    FUZZ_CHECK(score == -1);
                    FUZZ_CHECK(fakes.ui.outputs.size() == outputs + 1);
                    const std::string name = plugin.cabrillo().baseName + ".cbr";
                    FUZZ_CHECK(isPlainFileName(name));  // always a file in the host's folder
                    FUZZ_CHECK(fakes.ui.outputs.back() == "File produced: " + name);
                    const std::string& file = fakes.files.files[name];
                    FUZZ_CHECK(plugin.cabrillo().qsoLines.size() == model.log.size());
                    FUZZ_CHECK(file.rfind("START-OF-LOG: 3.0\r\n", 0) == 0);
                    FUZZ_CHECK(file.size() >= 13 && file.compare(file.size() - 13, 13, "END-OF-LOG:\r\n") == 0);
                } else {
                    FUZZ_CHECK(score == points);
                    FUZZ_CHECK(fakes.ui.outputs.size() == outputs);
                }
                break;
            }
            default: {  // the extra Cabrillo header file comes, changes or goes
                if (in.byte() & 1)
                    fakes.files.files["cabrillo.ini"] = in.text();
                else
                    fakes.files.files.erase("cabrillo.ini");
                break;
            }
        }
        checkState(plugin, model);
    }
    return 0;
}
