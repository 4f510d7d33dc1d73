// The cross-check engine: the contest's checking rules applied in their order.
#include "crosscheck/engine.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

#include "cabrillo/qso_line.h"
#include "log/contest_bands.h"
#include "log/contest_rules.h"
#include "services/calendar_time.h"
#include "services/text.h"
#include "score/statistics_report.h"

namespace velmor::crosscheck {

std::string_view verdictName(Verdict v) {
    switch (v) {
        case Verdict::Pending: return "";
        case Verdict::Invalid: return "INVALID";
        case Verdict::OutOfPeriod: return "OUT-OF-PERIOD";
        case Verdict::Dupe: return "DUPE";
        case Verdict::Ok: return "OK";
        case Verdict::BadExch: return "BAD-EXCH";
        case Verdict::Busted: return "BUSTED";
        case Verdict::Nil: return "NIL";
        case Verdict::Unique: return "UNIQUE";
        case Verdict::Unverified: return "UNVERIFIED";
    }
    return "";
}

bool verdictCounts(Verdict v) {
    return v == Verdict::Ok || v == Verdict::Unique || v == Verdict::Unverified;
}

std::string verdictMeaning(Verdict v, std::int32_t toleranceMinutes) {
    const std::string apart = "same band and mode, at most " + std::to_string(toleranceMinutes) +
                              (toleranceMinutes == 1 ? " minute apart" : " minutes apart");
    switch (v) {
        case Verdict::Pending: return {};
        case Verdict::Invalid:
            return "not a valid contest QSO: a malformed line, an impossible date or time, a mode other than CW, PH "
                   "or PM, a frequency outside the contest bands, or a received exchange that is not a Velmor "
                   "exchange (001 to 999 other than 599, or WM). Does not count.";
        case Verdict::OutOfPeriod: return "logged before or after the contest period. Does not count.";
        case Verdict::Dupe:
            return "the station was worked before on this band and mode in the same UTC clock hour: the first QSO "
                   "counts, this one does not.";
        case Verdict::Ok:
            return "confirmed: the station's log holds the same QSO (" + apart +
                   ") and it sent the exchange that was logged. Counts.";
        case Verdict::BadExch:
            return "the station's log holds the QSO, but it sent another exchange than the one logged. Does not "
                   "count.";
        case Verdict::Busted:
            return "a wrong call was logged: a station whose call is one character off holds this QSO in its log. "
                   "Does not count.";
        case Verdict::Nil:
            return "not in log: the station sent a log, but this QSO is not in it (" + apart + "). Does not count.";
        case Verdict::Unique: return "the station sent no log, and no other log has its call. Counts.";
        case Verdict::Unverified: return "the station sent no log, but another entrant's log has its call. Counts.";
    }
    return {};
}

bool oneEditApart(std::string_view a, std::string_view b) {
    if (a.size() == b.size()) {
        std::size_t i = 0;
        while (i < a.size() && a[i] == b[i]) ++i;
        if (i == a.size()) return false;  // equal
        std::size_t j = a.size() - 1;
        while (a[j] == b[j]) --j;
        if (i == j) return true;  // one character changed
        return j == i + 1 && a[i] == b[j] && a[j] == b[i];  // neighbours swapped
    }
    const std::string_view& s = a.size() < b.size() ? a : b;
    const std::string_view& l = a.size() < b.size() ? b : a;
    if (l.size() - s.size() != 1) return false;
    std::size_t i = 0;
    while (i < s.size() && s[i] == l[i]) ++i;
    return s.substr(i) == l.substr(i + 1);  // one character added or dropped
}

Engine::Engine(Options options) : options_(options) {}

std::uint16_t Engine::exchangeCode(std::string_view exchange) {
    if (exchange == rules::kWmExchange) return kWmCode;
    if (exchange.size() == 3 && text::allDigits(exchange))
        return static_cast<std::uint16_t>(*text::number(exchange));
    return kOtherExchange;
}

std::uint32_t Engine::intern(std::string_view call) {
    auto it = ids_.find(call);
    if (it != ids_.end()) return it->second;
    names_.emplace_back(call);
    const auto id = static_cast<std::uint32_t>(names_.size() - 1);
    ids_.emplace(std::string_view(names_.back()), id);
    return id;
}

std::uint32_t Engine::reason(std::string_view text) {
    std::string key(text);
    auto it = reasonIds_.find(key);
    if (it != reasonIds_.end()) return it->second;
    reasons_.push_back(key);
    const auto id = static_cast<std::uint32_t>(reasons_.size() - 1);
    reasonIds_.emplace(std::move(key), id);
    return id;
}

std::uint32_t Engine::addLog(std::string_view call, std::string_view category, std::string_view fileName) {
    Log log;
    log.call = intern(call);
    log.category = std::string(category);
    log.fileName = std::string(fileName);
    log.first = log.last = static_cast<std::uint32_t>(recs_.size());
    logs_.push_back(std::move(log));
    return static_cast<std::uint32_t>(logs_.size() - 1);
}

void Engine::addQso(const QsoInput& in) {
    Log& log = logs_.back();
    Rec r{};
    r.minute = in.minute;
    r.call = intern(in.call);
    r.line = in.line;
    r.cookie = in.cookie;
    r.log = static_cast<std::uint32_t>(logs_.size() - 1);
    r.link = kNone;
    r.verdict = Verdict::Pending;
    std::optional<qso_line::Fault> notContest;
    if (in.fault.empty())
        notContest = qso_line::contestFault(in.freqKHz, in.mode ? in.mode->hostName : std::string_view(),
                                            in.exchRcvd);
    if (!in.fault.empty()) {
        r.verdict = Verdict::Invalid;
        r.link = reason(in.fault);
    } else if (notContest) {
        r.verdict = Verdict::Invalid;
        r.link = reason(notContest->reason);
    } else {
        r.mode = static_cast<std::uint8_t>(in.mode - rules::kModes.data());
        r.band = static_cast<std::uint8_t>(rules::contestBandIndex(in.freqKHz));
        r.exchSent = exchangeCode(in.exchSent);
        r.exchRcvd = exchangeCode(in.exchRcvd);
        if (options_.periodStart && in.minute < *options_.periodStart) {
            r.verdict = Verdict::OutOfPeriod;
            r.link = reason("before the period");
        } else if (options_.periodEnd && in.minute >= *options_.periodEnd) {
            r.verdict = Verdict::OutOfPeriod;
            r.link = reason("after the period");
        }
    }
    recs_.push_back(r);
    log.last = static_cast<std::uint32_t>(recs_.size());
}

void Engine::run() {
    decidingMinutes();
    resolveSecondLogs();
    markDupes();
    pairLogs();
    findBusts();
    decideUnpaired();
    score();
}

// The minute that decides between two logs of one call: the latest QSO that counts for
// this (latestDecidingMinute).
void Engine::decidingMinutes() {
    std::vector<std::int64_t> days;
    for (Log& log : logs_) {
        log.latestDeciding = INT64_MIN;
        log.lateIgnored = 0;
        if (hasPeriod()) {
            // OUT-OF-PERIOD and INVALID lines are not Pending here.
            for (std::uint32_t i = log.first; i < log.last; ++i)
                if (recs_[i].verdict == Verdict::Pending) log.latestDeciding = std::max(log.latestDeciding, recs_[i].minute);
            continue;
        }
        days.clear();
        for (std::uint32_t i = log.first; i < log.last; ++i)
            if (recs_[i].verdict != Verdict::Invalid) days.push_back(dayOfMinute(recs_[i].minute));
        if (days.empty()) continue;
        // The lower median: half the QSOs at most are earlier, however many are forged late.
        const auto median = days.begin() + static_cast<std::ptrdiff_t>((days.size() - 1) / 2);
        std::nth_element(days.begin(), median, days.end());
        const std::int64_t lastDay = *median + 1;
        for (std::uint32_t i = log.first; i < log.last; ++i) {
            const Rec& r = recs_[i];
            if (r.verdict == Verdict::Invalid) continue;
            if (dayOfMinute(r.minute) > lastDay)
                ++log.lateIgnored;
            else
                log.latestDeciding = std::max(log.latestDeciding, r.minute);
        }
    }
}

// A second log from the same call: the one whose deciding minute is later counts; on a
// tie, the one whose file name sorts last.
void Engine::resolveSecondLogs() {
    entrantLog_.assign(names_.size(), kNone);
    for (std::uint32_t i = 0; i < logs_.size(); ++i) {
        std::uint32_t& best = entrantLog_[logs_[i].call];
        if (best == kNone) {
            best = i;
            continue;
        }
        const Log& a = logs_[best];
        const Log& b = logs_[i];
        if (std::tie(b.latestDeciding, b.fileName) > std::tie(a.latestDeciding, a.fileName)) best = i;
    }
    byCall_.clear();
    for (std::uint32_t i = 0; i < logs_.size(); ++i) {
        const std::uint32_t winner = entrantLog_[logs_[i].call];
        if (winner == i)
            byCall_.push_back(i);
        else
            logs_[i].supersededBy = winner;
    }
    std::sort(byCall_.begin(), byCall_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return names_[logs_[a].call] < names_[logs_[b].call];
    });
}

// Within one log: the same station on the same band and mode in the same UTC date and
// hour. The lowest line number counts; each later one points at it.
void Engine::markDupes() {
    std::vector<std::uint32_t> idx;
    for (std::uint32_t l : byCall_) {
        idx.clear();
        for (std::uint32_t i = logs_[l].first; i < logs_[l].last; ++i)
            if (recs_[i].verdict == Verdict::Pending) idx.push_back(i);
        auto key = [&](std::uint32_t i) {
            const Rec& r = recs_[i];
            return std::make_tuple(r.call, r.band, r.mode, clockHour(r.minute), r.line, i);
        };
        std::sort(idx.begin(), idx.end(), [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
        for (std::size_t k = 1; k < idx.size(); ++k) {
            const Rec& first = recs_[idx[k - 1]];
            Rec& r = recs_[idx[k]];
            if (r.call == first.call && r.band == first.band && r.mode == first.mode &&
                clockHour(r.minute) == clockHour(first.minute)) {
                r.verdict = Verdict::Dupe;
                // Point at the first of the run, which is the one that counts.
                r.link = first.verdict == Verdict::Dupe ? first.link : idx[k - 1];
            }
        }
    }
}

void Engine::settleExchange(Rec& q, const Rec& partner, std::uint32_t partnerIndex) {
    q.verdict = q.exchRcvd == partner.exchSent ? Verdict::Ok : Verdict::BadExch;
    q.link = partnerIndex;
    q.paired = 1;
}

// Every two logs A and B: A's remaining QSOs with B against B's with A, on the same band
// and mode, at most the tolerance apart, closest first (then by the line of the log whose
// call sorts first, then the other's line). The pairs are taken in exactly that order, as
// if every candidate pair were listed and sorted, but without listing them: each QSO of the
// first log offers its best partner still free, from a queue; an offer whose partner was
// taken meanwhile is renewed. So many QSOs in one minute cost n log n, not n squared.
void Engine::pairLogs() {
    std::vector<std::uint32_t> rank(logs_.size(), kNone);
    for (std::uint32_t k = 0; k < byCall_.size(); ++k) rank[byCall_[k]] = k;

    struct Entry {
        std::uint32_t lo, hi;  // ranks of the two logs, lo < hi
        std::uint8_t band;
        std::uint8_t mode;
        std::uint8_t side;     // 0: the QSO is in log lo
        std::int64_t minute;
        std::uint32_t line;
        std::uint32_t index;
    };
    std::vector<Entry> entries;
    for (std::uint32_t a : byCall_) {
        for (std::uint32_t i = logs_[a].first; i < logs_[a].last; ++i) {
            const Rec& r = recs_[i];
            if (r.verdict != Verdict::Pending) continue;
            const std::uint32_t b = entrantLog_[r.call];
            if (b == kNone || b == a) continue;
            const std::uint32_t ra = rank[a], rb = rank[b];
            entries.push_back(Entry{std::min(ra, rb), std::max(ra, rb), r.band, r.mode,
                                    static_cast<std::uint8_t>(ra < rb ? 0 : 1), r.minute, r.line, i});
        }
    }
    auto groupKey = [](const Entry& e) { return std::make_tuple(e.lo, e.hi, e.band, e.mode); };
    std::sort(entries.begin(), entries.end(), [&](const Entry& x, const Entry& y) {
        return std::make_tuple(x.lo, x.hi, x.band, x.mode, x.side, x.minute, x.line) <
               std::make_tuple(y.lo, y.hi, y.band, y.mode, y.side, y.minute, y.line);
    });

    const std::int64_t tol = options_.toleranceMinutes;
    // The free QSOs of the second log, by (minute, line), with links past the taken ones.
    std::vector<std::uint32_t> nextFree, prevFree;
    auto findNext = [&](std::uint32_t k) {  // first free position >= k (size: none)
        while (nextFree[k] != k) k = nextFree[k] = nextFree[nextFree[k]];
        return k;
    };
    auto findPrev = [&](std::uint32_t k) {  // 1 + last free position < k (0: none)
        while (prevFree[k] != k) k = prevFree[k] = prevFree[prevFree[k]];
        return k;
    };
    struct Offer {
        std::int64_t diff;
        std::uint32_t loLine, hiLine;
        std::uint32_t x, y;  // positions in the group's two sides
        bool operator>(const Offer& o) const {
            return std::tie(diff, loLine, hiLine) > std::tie(o.diff, o.loLine, o.hiLine);
        }
    };
    std::vector<Offer> queue;
    for (std::size_t g = 0; g < entries.size();) {
        std::size_t end = g;
        while (end < entries.size() && groupKey(entries[end]) == groupKey(entries[g])) ++end;
        std::size_t mid = g;
        while (mid < end && entries[mid].side == 0) ++mid;
        if (mid == g || mid == end) {
            g = end;
            continue;
        }
        const Entry* xs = &entries[g];
        const Entry* ys = &entries[mid];
        const std::uint32_t nx = static_cast<std::uint32_t>(mid - g), ny = static_cast<std::uint32_t>(end - mid);
        nextFree.resize(ny + 1);
        prevFree.resize(ny + 1);
        for (std::uint32_t k = 0; k <= ny; ++k) nextFree[k] = prevFree[k] = k;
        // The best free partner of x: the nearest minute on either side, at it the lowest
        // line; on equal distance the lower line.
        auto best = [&](std::uint32_t x) -> std::optional<Offer> {
            const std::int64_t t = xs[x].minute;
            const std::uint32_t at = static_cast<std::uint32_t>(
                std::lower_bound(ys, ys + ny, t, [](const Entry& e, std::int64_t m) { return e.minute < m; }) - ys);
            std::optional<Offer> out;
            auto consider = [&](std::uint32_t y) {
                const std::int64_t diff = std::llabs(ys[y].minute - t);
                if (diff > tol) return;
                const Offer o{diff, xs[x].line, ys[y].line, x, y};
                if (!out || *out > o) out = o;
            };
            const std::uint32_t right = findNext(at);
            if (right < ny) consider(right);
            const std::uint32_t left = findPrev(at);
            if (left > 0) {
                const std::int64_t m = ys[left - 1].minute;
                const std::uint32_t from = static_cast<std::uint32_t>(
                    std::lower_bound(ys, ys + ny, m, [](const Entry& e, std::int64_t v) { return e.minute < v; }) - ys);
                consider(findNext(from));
            }
            return out;
        };
        queue.clear();
        for (std::uint32_t x = 0; x < nx; ++x)
            if (std::optional<Offer> o = best(x)) queue.push_back(*o);
        std::make_heap(queue.begin(), queue.end(), std::greater<Offer>());
        while (!queue.empty()) {
            std::pop_heap(queue.begin(), queue.end(), std::greater<Offer>());
            const Offer o = queue.back();
            queue.pop_back();
            if (findNext(o.y) != o.y) {  // taken meanwhile: x offers again
                if (std::optional<Offer> again = best(o.x)) {
                    queue.push_back(*again);
                    std::push_heap(queue.begin(), queue.end(), std::greater<Offer>());
                }
                continue;
            }
            nextFree[o.y] = o.y + 1;
            prevFree[o.y + 1] = o.y;
            Rec& lo = recs_[xs[o.x].index];
            Rec& hi = recs_[ys[o.y].index];
            settleExchange(lo, hi, ys[o.y].index);
            settleExchange(hi, lo, xs[o.x].index);
        }
        g = end;
    }
}

namespace {

// Keys under which two texts one edit apart meet: the text's own hash and the hash of each
// deletion of one character. Two texts one edit apart always share a key (a change at i:
// both without i; an added character: the longer without it is the shorter; neighbours
// swapped: both without the same one of the two); texts that share one need not be one
// edit apart, so each candidate is checked with oneEditApart. Two hashes modulo primes
// below 2^31, so that the arithmetic fits 64 bits on every build.
struct KeyScratch {
    std::vector<std::uint64_t> pre1, pre2, pow1, pow2;
};

void editKeys(std::string_view s, std::vector<std::uint64_t>& keys, KeyScratch& k) {
    constexpr std::uint64_t kP1 = 2147483647, kP2 = 2147483629, kB1 = 257, kB2 = 263;
    const std::size_t n = s.size();
    // pre[i]: hash of s[0, i); pow[i]: base^i.
    k.pre1.assign(n + 1, 0);
    k.pre2.assign(n + 1, 0);
    k.pow1.assign(n + 1, 1);
    k.pow2.assign(n + 1, 1);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t c = static_cast<unsigned char>(s[i]) + 1u;
        k.pre1[i + 1] = (k.pre1[i] * kB1 + c) % kP1;
        k.pre2[i + 1] = (k.pre2[i] * kB2 + c) % kP2;
        k.pow1[i + 1] = k.pow1[i] * kB1 % kP1;
        k.pow2[i + 1] = k.pow2[i] * kB2 % kP2;
    }
    // Hash of s[from, n).
    auto tail = [&](const std::vector<std::uint64_t>& pre, const std::vector<std::uint64_t>& pow, std::uint64_t p,
                    std::size_t from) { return (pre[n] + p * p - pre[from] * pow[n - from] % p) % p; };
    keys.clear();
    keys.push_back(k.pre1[n] << 32 | k.pre2[n]);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t rest = n - i - 1;
        const std::uint64_t h1 = (k.pre1[i] * k.pow1[rest] + tail(k.pre1, k.pow1, kP1, i + 1)) % kP1;
        const std::uint64_t h2 = (k.pre2[i] * k.pow2[rest] + tail(k.pre2, k.pow2, kP2, i + 1)) % kP2;
        keys.push_back(h1 << 32 | h2);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

}  // namespace

std::pair<const std::uint32_t*, const std::uint32_t*> Engine::oneEditEntrants(std::uint32_t call) {
    static thread_local KeyScratch scratch;
    std::vector<std::uint64_t> keys;
    if (nearFirst_.empty()) {
        nearFirst_.assign(names_.size(), kNone);
        nearCount_.assign(names_.size(), 0);
        for (std::uint32_t l : byCall_) {
            editKeys(names_[logs_[l].call], keys, scratch);
            for (std::uint64_t k : keys) editKeys_[k].push_back(l);
        }
    }
    if (nearFirst_[call] == kNone) {
        const std::size_t first = near_.size();
        editKeys(names_[call], keys, scratch);
        for (std::uint64_t k : keys) {
            auto it = editKeys_.find(k);
            if (it != editKeys_.end()) near_.insert(near_.end(), it->second.begin(), it->second.end());
        }
        const auto from = near_.begin() + static_cast<std::ptrdiff_t>(first);
        std::sort(from, near_.end());
        near_.erase(std::unique(from, near_.end()), near_.end());
        const std::string_view x = names_[call];
        near_.erase(std::remove_if(near_.begin() + static_cast<std::ptrdiff_t>(first), near_.end(),
                                   [&](std::uint32_t l) { return !oneEditApart(names_[logs_[l].call], x); }),
                    near_.end());
        nearFirst_[call] = static_cast<std::uint32_t>(first);
        nearCount_[call] = static_cast<std::uint32_t>(near_.size() - first);
    }
    const std::uint32_t* base = near_.data() + nearFirst_[call];
    return {base, base + nearCount_[call]};
}

// An unpaired QSO of log A with X, where exactly one entrant S one edit from X holds an
// unpaired QSO with A on the same band and mode within the tolerance: A busted S's call.
// Only the entrants one edit from X are looked at, each by a search in its own QSOs with A,
// so the work does not grow with the QSOs that share a minute and a band.
void Engine::findBusts() {
    // Unpaired remaining QSOs by (log, worked call, band, mode, minute, line), with links
    // past the ones taken since.
    std::vector<std::uint32_t> open;
    for (std::uint32_t l : byCall_)
        for (std::uint32_t i = logs_[l].first; i < logs_[l].last; ++i)
            if (recs_[i].verdict == Verdict::Pending) open.push_back(i);
    auto key = [](const Rec& r) { return std::make_tuple(r.log, r.call, r.band, r.mode, r.minute, r.line); };
    std::sort(open.begin(), open.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(recs_[a]) < key(recs_[b]); });
    const std::uint32_t n = static_cast<std::uint32_t>(open.size());
    std::vector<std::uint32_t> position(recs_.size(), kNone);
    for (std::uint32_t k = 0; k < n; ++k) position[open[k]] = k;
    std::vector<std::uint32_t> nextFree(n + 1), prevFree(n + 1);
    for (std::uint32_t k = 0; k <= n; ++k) nextFree[k] = prevFree[k] = k;
    auto findNext = [&](std::uint32_t k) {  // first free position >= k (n: none)
        while (nextFree[k] != k) k = nextFree[k] = nextFree[nextFree[k]];
        return k;
    };
    auto findPrev = [&](std::uint32_t k) {  // 1 + last free position < k (0: none)
        while (prevFree[k] != k) k = prevFree[k] = prevFree[prevFree[k]];
        return k;
    };
    auto take = [&](std::uint32_t rec) {
        const std::uint32_t k = position[rec];
        if (k == kNone) return;
        nextFree[k] = k + 1;
        prevFree[k + 1] = k;
    };

    const std::int64_t tol = options_.toleranceMinutes;
    for (std::uint32_t a : byCall_) {
        const std::uint32_t callA = logs_[a].call;
        for (std::uint32_t i = logs_[a].first; i < logs_[a].last; ++i) {
            Rec& q = recs_[i];
            if (q.verdict != Verdict::Pending || q.paired) continue;
            std::uint32_t station = kNone;  // S, the one log that qualifies
            bool several = false;
            std::uint32_t best = kNone;
            const auto [nearFrom, nearTo] = oneEditEntrants(q.call);
            for (const std::uint32_t* near = nearFrom; near != nearTo; ++near) {
                const std::uint32_t s = *near;
                if (s == a || logs_[s].call == q.call) continue;
                // S's free QSOs with A on this band and mode.
                const auto lower = [&](std::int64_t minute) {
                    return static_cast<std::uint32_t>(
                        std::lower_bound(open.begin(), open.end(), std::make_tuple(s, callA, q.band, q.mode, minute, 0u),
                                         [&](std::uint32_t e, const auto& k) { return key(recs_[e]) < k; }) -
                        open.begin());
                };
                const auto inGroup = [&](std::uint32_t k) {
                    if (k >= n) return false;
                    const Rec& c = recs_[open[k]];
                    return c.log == s && c.call == callA && c.band == q.band && c.mode == q.mode;
                };
                const std::uint32_t at = lower(q.minute);
                std::uint32_t nearest = kNone;
                auto consider = [&](std::uint32_t k) {
                    if (!inGroup(k)) return;
                    const Rec& c = recs_[open[k]];
                    if (std::llabs(c.minute - q.minute) > tol) return;
                    // Nearest in time; on a tie the lower line.
                    if (nearest == kNone ||
                        std::make_tuple(std::llabs(c.minute - q.minute), c.line) <
                            std::make_tuple(std::llabs(recs_[nearest].minute - q.minute), recs_[nearest].line))
                        nearest = open[k];
                };
                consider(findNext(at));
                if (const std::uint32_t left = findPrev(at); left > 0 && inGroup(left - 1))
                    consider(findNext(lower(recs_[open[left - 1]].minute)));
                if (nearest == kNone) continue;
                if (station != kNone) {
                    several = true;
                    break;
                }
                station = s;
                best = nearest;
            }
            if (station == kNone || several) continue;
            Rec& s = recs_[best];
            q.verdict = Verdict::Busted;
            q.link = best;
            q.paired = 1;
            settleExchange(s, q, i);
            take(i);
            take(best);
        }
    }
    editKeys_ = {};
    nearFirst_ = {};
    nearCount_ = {};
    near_ = {};
}

// What is still unpaired: NIL when the worked station sent a log, else UNIQUE or, when
// another log has a line with that call that passed the first step, UNVERIFIED.
void Engine::decideUnpaired() {
    constexpr std::uint32_t kSeveral = kNone - 1;
    std::vector<std::uint32_t> loggedBy(names_.size(), kNone);  // the one log, or kSeveral
    for (std::uint32_t l : byCall_) {
        for (std::uint32_t i = logs_[l].first; i < logs_[l].last; ++i) {
            const Rec& r = recs_[i];
            if (r.verdict == Verdict::Invalid || r.verdict == Verdict::OutOfPeriod) continue;
            std::uint32_t& by = loggedBy[r.call];
            if (by == kNone)
                by = l;
            else if (by != l)
                by = kSeveral;
        }
    }
    for (std::uint32_t l : byCall_) {
        for (std::uint32_t i = logs_[l].first; i < logs_[l].last; ++i) {
            Rec& r = recs_[i];
            if (r.verdict != Verdict::Pending) continue;
            if (entrantLog_[r.call] != kNone)
                r.verdict = Verdict::Nil;
            else if (loggedBy[r.call] == l)
                r.verdict = Verdict::Unique;
            else
                r.verdict = Verdict::Unverified;
        }
    }
}

// The contest's score over the QSOs that count, then places within each category.
void Engine::score() {
    for (std::uint32_t l : byCall_) {
        Log& log = logs_[l];
        std::array<BandTally, rules::kContestBands.size()> tallies;
        LogSummary& s = log.summary;
        for (std::uint32_t i = log.first; i < log.last; ++i) {
            const Rec& r = recs_[i];
            ++s.lines;
            ++s.byVerdict[static_cast<int>(r.verdict)];
            if (!verdictCounts(r.verdict)) continue;
            ++s.counted;
            BandTally& t = tallies[r.band];
            ++t.qsos;
            if (r.exchRcvd == kWmCode) ++t.wmRefs[names_[r.call]];
        }
        for (const BandTally& t : tallies) s.score += bandPoints(t);
    }
    std::vector<std::uint32_t> order = byCall_;
    std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return std::make_tuple(std::string_view(logs_[a].category), -logs_[a].summary.score) <
               std::make_tuple(std::string_view(logs_[b].category), -logs_[b].summary.score);
    });
    std::size_t categoryStart = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        Log& log = logs_[order[k]];
        const Log* prev = k > 0 ? &logs_[order[k - 1]] : nullptr;
        if (!prev || prev->category != log.category) categoryStart = k;
        // Equal scores share a place; the next score takes the place after them (1, 1, 3).
        log.summary.place = prev && k > categoryStart && prev->summary.score == log.summary.score
                                ? prev->summary.place
                                : static_cast<std::uint32_t>(k - categoryStart + 1);
    }
}

std::string_view Engine::logCall(std::uint32_t log) const { return names_[logs_[log].call]; }
std::string_view Engine::logCategory(std::uint32_t log) const { return logs_[log].category; }
std::string_view Engine::logFileName(std::uint32_t log) const { return logs_[log].fileName; }

std::optional<std::int64_t> Engine::latestDecidingMinute(std::uint32_t log) const {
    if (logs_[log].latestDeciding == INT64_MIN) return std::nullopt;
    return logs_[log].latestDeciding;
}

std::optional<std::uint32_t> Engine::supersededBy(std::uint32_t log) const {
    if (logs_[log].supersededBy == kNone) return std::nullopt;
    return logs_[log].supersededBy;
}

std::pair<std::uint32_t, std::uint32_t> Engine::qsoRange(std::uint32_t log) const {
    return {logs_[log].first, logs_[log].last};
}

Engine::QsoResult Engine::qso(std::uint32_t index) const {
    const Rec& r = recs_[index];
    QsoResult out{r.log, r.line, r.cookie, r.verdict, std::nullopt, {}};
    switch (r.verdict) {
        case Verdict::Invalid:
        case Verdict::OutOfPeriod: out.reason = reasons_[r.link]; break;
        case Verdict::Dupe:
        case Verdict::Ok:
        case Verdict::BadExch:
        case Verdict::Busted: out.partner = r.link; break;
        default: break;
    }
    return out;
}

}  // namespace velmor::crosscheck
