// The synthetic contest: seeded logs with injected faults and their expected verdicts.
#include "crosscheck/synthetic_contest.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <unordered_map>
#include <unordered_set>

#include "cabrillo/qso_line.h"
#include "log/contest_bands.h"
#include "log/contest_rules.h"

namespace velmor::crosscheck {
namespace {

constexpr const char* kPrefixes[] = {"UA1", "UA3", "UA4", "UA6", "UA9", "UA0", "RA1", "RA3", "RA6", "RA9",
                                     "RZ3", "RZ6", "RW1", "RW3", "RN3", "RK9", "R7",  "R9",  "UB5", "UI8",
                                     "RV3", "RX9", "EW1", "EW6", "UR5", "UT7", "ES2", "YL2", "LY2", "4L1",
                                     "UN7", "EX8", "EY8", "RU6", "RT9", "RM2", "RL3", "UC6", "UD4", "UG8"};
constexpr const char* kCategories[] = {"SINGLE-OP ALL MIXED", "SINGLE-OP ALL CW", "MULTI-OP ALL MIXED"};
constexpr int kHeaderLines = 9;  // the header below; QSO lines start after it
constexpr std::int64_t kStartHour = 12, kPeriodMinutes = 240;

enum class Fault { None, BadExch, Busted, Nil, Invalid, OutOfPeriod, Dupe };

struct Entry {
    std::int64_t minute;  // from 00:00 of the contest day
    std::uint32_t seq;    // order of generation, to keep equal minutes stable
    int band;
    int mode;
    std::int32_t freq;
    std::string call;
    std::string exchSent, exchRcvd;
    Verdict verdict;
    int corruption = -1;  // INVALID: which fault to write
    std::uint32_t nonEntrant = 0xFFFFFFFFu;
};

class Generator {
public:
    explicit Generator(const SyntheticOptions& o) : o_(o), rng_(o.seed) {}

    SyntheticContest run();

private:
    std::uint32_t uniform(std::uint32_t n) { return static_cast<std::uint32_t>(rng_() % n); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p; }

    // Deletion variants of a call and the call itself: two calls one edit apart share one.
    static std::vector<std::string> variants(const std::string& c) {
        std::vector<std::string> v{c};
        for (std::size_t i = 0; i < c.size(); ++i) v.push_back(c.substr(0, i) + c.substr(i + 1));
        return v;
    }
    // Whether `c` is one edit from (or equal to) an entrant's call. Two calls one edit
    // apart share a deletion variant, so only entrants sharing one need the full check.
    bool nearEntrant(const std::string& c) const {
        for (const std::string& v : variants(c)) {
            auto it = owners_.find(v);
            if (it == owners_.end()) continue;
            for (const std::string& other : it->second)
                if (other == c || oneEditApart(other, c)) return true;
        }
        return false;
    }
    // A new call: never one edit from an entrant (so that every bust has one explanation),
    // and distinct from every call so far. Entrants are registered as such.
    std::string newCall(bool entrant) {
        for (std::uint32_t attempt = 0;; ++attempt) {
            std::string c = kPrefixes[uniform(std::size(kPrefixes))];
            // Longer suffixes once the short ones get crowded.
            const std::uint32_t letters = 2 + uniform(2) + (attempt > 50 ? 1 : 0);
            for (std::uint32_t i = 0; i < letters; ++i) c += static_cast<char>('A' + uniform(26));
            if (taken_.count(c) || nearEntrant(c)) continue;
            // An entrant must also keep its distance from the non-entrants already made.
            if (entrant) {
                bool near = false;
                for (const std::string& v : variants(c)) {
                    auto it = nonEntrantVariants_.find(v);
                    if (it == nonEntrantVariants_.end()) continue;
                    for (const std::string& other : it->second)
                        if (oneEditApart(other, c)) near = true;
                }
                if (near) continue;
            }
            taken_.insert(c);
            for (const std::string& v : variants(c)) (entrant ? owners_ : nonEntrantVariants_)[v].push_back(c);
            return c;
        }
    }
    // One edit in the call that brings it near no other station's call but this one.
    std::string bust(const std::string& call) {
        for (int attempt = 0; attempt < 200; ++attempt) {
            std::string x = call;
            const std::size_t i = 1 + uniform(static_cast<std::uint32_t>(x.size() - 1));
            switch (uniform(3)) {
                case 0: x[i] = static_cast<char>('A' + uniform(26)); break;
                case 1: x.erase(i, 1); break;
                default:
                    if (i + 1 < x.size()) std::swap(x[i], x[i + 1]); else x += 'X';
                    break;
            }
            if (x == call || x.size() < 3) continue;
            bool clash = false;
            for (const std::string& v : variants(x)) {
                auto it = owners_.find(v);
                if (it == owners_.end()) continue;
                for (const std::string& other : it->second)
                    if (other != call && (other == x || oneEditApart(other, x))) clash = true;
            }
            if (!clash) return x;
        }
        return {};
    }
    std::string exchange() {
        if (chance(0.05)) return "WM";
        std::uint32_t n;
        do n = 1 + uniform(999); while (n == 599);
        char buf[8];
        std::snprintf(buf, sizeof buf, "%03u", n);
        return buf;
    }
    std::int32_t frequency(int band) {
        const auto& b = rules::kContestBands[static_cast<std::size_t>(band)];
        return b.lowKHz + static_cast<std::int32_t>(uniform(static_cast<std::uint32_t>(b.highKHz - b.lowKHz + 1)));
    }
    std::string wrongExchange(const std::string& right) {
        for (;;) {
            std::string x = exchange();
            if (x != right) return x;
        }
    }

    void addEntry(std::uint32_t log, Entry e) {
        e.seq = seq_++;
        logs_[log].push_back(std::move(e));
        if (--room_[log] == 0) someFull_ = true;
    }
    void closeFull() {
        someFull_ = false;
        open_.erase(std::remove_if(open_.begin(), open_.end(), [this](std::uint32_t l) { return room_[l] == 0; }),
                    open_.end());
    }
    void qsoWithNonEntrant(std::uint32_t a);
    bool qsoBetween(std::uint32_t a, std::uint32_t b);
    std::string lineText(const std::string& own, const Entry& e) const;

    SyntheticOptions o_;
    std::mt19937_64 rng_;
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, std::vector<std::string>> owners_;  // variant -> entrant calls
    std::unordered_map<std::string, std::vector<std::string>> nonEntrantVariants_;
    std::vector<std::string> calls_, sent_;
    std::vector<std::string> nonEntrants_;
    std::vector<std::vector<Entry>> logs_;
    std::vector<std::uint32_t> room_, open_;
    std::unordered_set<std::uint64_t> pairSlots_;     // (a, b, band, mode) used once
    std::unordered_set<std::string> nonEntrantHours_; // log, call, band, mode, hour
    std::uint32_t seq_ = 0;
    bool someFull_ = false;
};

void Generator::qsoWithNonEntrant(std::uint32_t a) {
    std::uint32_t n;
    if (nonEntrants_.empty() || chance(0.1)) {
        nonEntrants_.push_back(newCall(false));
        n = static_cast<std::uint32_t>(nonEntrants_.size() - 1);
    } else {
        n = uniform(static_cast<std::uint32_t>(nonEntrants_.size()));
    }
    for (int attempt = 0;; ++attempt) {
        if (attempt == 64) {  // this log has this station in every hour already
            nonEntrants_.push_back(newCall(false));
            n = static_cast<std::uint32_t>(nonEntrants_.size() - 1);
        }
        Entry e;
        e.band = static_cast<int>(uniform(rules::kContestBands.size()));
        e.mode = static_cast<int>(uniform(rules::kModes.size()));
        e.minute = kStartHour * 60 + uniform(kPeriodMinutes);
        const std::string key = std::to_string(a) + ' ' + std::to_string(n) + ' ' + std::to_string(e.band) + ' ' +
                                std::to_string(e.mode) + ' ' + std::to_string(e.minute / 60);
        if (!nonEntrantHours_.insert(key).second) continue;
        e.freq = frequency(e.band);
        e.call = nonEntrants_[n];
        e.exchSent = sent_[a];
        e.exchRcvd = exchange();
        e.verdict = Verdict::Unique;  // settled at the end
        e.nonEntrant = n;
        addEntry(a, std::move(e));
        return;
    }
}

bool Generator::qsoBetween(std::uint32_t a, std::uint32_t b) {
    int band = 0, mode = 0;
    bool found = false;
    for (int attempt = 0; attempt < 64 && !found; ++attempt) {
        band = static_cast<int>(uniform(rules::kContestBands.size()));
        mode = static_cast<int>(uniform(rules::kModes.size()));
        const std::uint64_t key = (std::uint64_t{std::min(a, b)} << 36) | (std::uint64_t{std::max(a, b)} << 8) |
                                  static_cast<std::uint64_t>(band * rules::kModes.size() + mode);
        found = pairSlots_.insert(key).second;
    }
    if (!found) return false;  // the two have used (nearly) every band and mode
    Fault fault = Fault::None;
    const double r = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
    const Fault kinds[] = {Fault::BadExch, Fault::Busted, Fault::Nil, Fault::Invalid, Fault::OutOfPeriod, Fault::Dupe};
    for (std::size_t k = 0; k < std::size(kinds); ++k)
        if (r >= k * o_.faultChance && r < (k + 1) * o_.faultChance) fault = kinds[k];
    if (fault == Fault::Dupe && room_[a] < 2) fault = Fault::None;

    std::int64_t t = kStartHour * 60 + 2 + uniform(kPeriodMinutes - 4);
    if (fault == Fault::OutOfPeriod) t = (kStartHour - 1) * 60 + uniform(56);
    const std::int64_t tb = t + static_cast<std::int64_t>(uniform(3)) - 1;

    Entry ea;
    ea.band = band;
    ea.mode = mode;
    ea.minute = t;
    ea.freq = frequency(band);
    ea.call = calls_[b];
    ea.exchSent = sent_[a];
    ea.exchRcvd = sent_[b];
    ea.verdict = Verdict::Ok;
    Entry eb = ea;
    eb.minute = tb;
    eb.freq = std::clamp<std::int32_t>(ea.freq + static_cast<std::int32_t>(uniform(3)) - 1,
                                       rules::kContestBands[static_cast<std::size_t>(band)].lowKHz,
                                       rules::kContestBands[static_cast<std::size_t>(band)].highKHz);
    eb.call = calls_[a];
    eb.exchSent = sent_[b];
    eb.exchRcvd = sent_[a];

    bool withB = true;
    switch (fault) {
        case Fault::None: break;
        case Fault::BadExch:
            ea.exchRcvd = wrongExchange(sent_[b]);
            ea.verdict = Verdict::BadExch;
            break;
        case Fault::Busted: {
            std::string x = bust(calls_[b]);
            if (x.empty()) break;
            ea.call = x;
            ea.verdict = Verdict::Busted;
            break;
        }
        case Fault::Nil:
            ea.verdict = Verdict::Nil;
            withB = false;
            break;
        case Fault::Invalid:
            ea.verdict = Verdict::Invalid;
            ea.corruption = static_cast<int>(uniform(5));
            eb.verdict = Verdict::Nil;
            break;
        case Fault::OutOfPeriod:
            ea.verdict = eb.verdict = Verdict::OutOfPeriod;
            break;
        case Fault::Dupe: {
            Entry again = ea;
            // Later in the same clock hour, so that it is the repeat and not the first.
            const std::int64_t hourEnd = (t / 60) * 60 + 59;
            if (t < hourEnd) {
                again.minute = t + 1 + uniform(static_cast<std::uint32_t>(hourEnd - t));
                again.verdict = Verdict::Dupe;
                addEntry(a, std::move(again));
            }
            break;
        }
    }
    addEntry(a, std::move(ea));
    if (withB) addEntry(b, std::move(eb));
    return true;
}

std::string Generator::lineText(const std::string& own, const Entry& e) const {
    const rules::ModeRule& m = rules::kModes[static_cast<std::size_t>(e.mode)];
    std::string freq = std::to_string(e.freq), mode(m.cabrilloLabel), date = "2026-05-16";
    std::string rcvd = e.exchRcvd, rstRcvd(m.usualReport);
    const std::string rstSent = rstRcvd;
    switch (e.corruption) {
        case 0: freq = "10120"; break;        // 30 m: not a contest band
        case 1: mode = "RY"; break;           // not a contest mode
        case 2: date = "2026-02-30"; break;   // no such day
        case 3: rcvd = "599"; break;          // the report, not an exchange
        case 4: rstRcvd = ""; break;          // a missing field
        default: break;
    }
    char time[8];
    std::snprintf(time, sizeof time, "%02d%02d", static_cast<int>(e.minute / 60 % 24), static_cast<int>(e.minute % 60));
    if (e.minute < 0) std::snprintf(time, sizeof time, "0000");
    const std::string dateTime = date + " " + time;
    return qso_line::format(qso_line::Texts{freq, mode, dateTime, own, rstSent, e.exchSent, e.call, rstRcvd, rcvd});
}

SyntheticContest Generator::run() {
    const std::uint32_t n = std::max<std::uint32_t>(o_.entrants, 2);
    for (std::uint32_t i = 0; i < n; ++i) {
        calls_.push_back(newCall(true));
        sent_.push_back(exchange());
    }
    logs_.resize(n);
    room_.assign(n, o_.qsosPerLog);
    for (std::uint32_t i = 0; i < n; ++i) open_.push_back(i);

    while (!open_.empty()) {
        const std::uint32_t a = open_[uniform(static_cast<std::uint32_t>(open_.size()))];
        if (open_.size() < 2 || chance(o_.nonEntrantShare)) {
            qsoWithNonEntrant(a);
        } else {
            std::uint32_t b;
            do b = open_[uniform(static_cast<std::uint32_t>(open_.size()))]; while (b == a);
            if (!qsoBetween(a, b)) qsoWithNonEntrant(a);
        }
        if (someFull_) closeFull();
    }

    // UNIQUE or UNVERIFIED: whether another log logs the same station.
    std::unordered_map<std::uint32_t, std::unordered_set<std::uint32_t>> heardBy;
    for (std::uint32_t l = 0; l < n; ++l)
        for (const Entry& e : logs_[l])
            if (e.nonEntrant != 0xFFFFFFFFu) heardBy[e.nonEntrant].insert(l);

    SyntheticContest out;
    std::vector<std::uint32_t> byCall(n);
    for (std::uint32_t i = 0; i < n; ++i) byCall[i] = i;
    std::sort(byCall.begin(), byCall.end(), [this](std::uint32_t x, std::uint32_t y) { return calls_[x] < calls_[y]; });
    for (std::uint32_t l : byCall) {
        std::vector<Entry>& entries = logs_[l];
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& x, const Entry& y) { return std::tie(x.minute, x.seq) < std::tie(y.minute, y.seq); });
        SyntheticLog log;
        log.call = calls_[l];
        log.fileName = log.call + ".cbr";
        log.text = "START-OF-LOG: 3.0\r\nCONTEST: Velmor\r\nCALLSIGN: " + log.call + "\r\nCATEGORY: " +
                   kCategories[l % std::size(kCategories)] + "\r\nCLAIMED-SCORE: " + std::to_string(entries.size()) +
                   "\r\nCREATED-BY: velmor synthetic contest\r\nNAME: Synthetic\r\nEMAIL: none@example.org\r\n"
                   "SOAPBOX: seeded test log\r\n";
        std::uint32_t line = kHeaderLines;
        for (Entry& e : entries) {
            ++line;
            if (e.nonEntrant != 0xFFFFFFFFu)
                e.verdict = heardBy[e.nonEntrant].size() > 1 ? Verdict::Unverified : Verdict::Unique;
            log.text += lineText(log.call, e);
            out.expected.push_back(ExpectedVerdict{log.call, line, e.verdict});
        }
        log.text += "END-OF-LOG:\r\n";
        out.lines += entries.size();
        out.logs.push_back(std::move(log));
    }
    return out;
}

}  // namespace

SyntheticContest makeSyntheticContest(const SyntheticOptions& options) { return Generator(options).run(); }

std::string writeSyntheticContest(const SyntheticContest& contest, const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::u8path(dir), ec);
    if (ec) return "cannot create " + dir + ": " + ec.message();
    for (const SyntheticLog& log : contest.logs) {
        std::ofstream f(fs::u8path(dir) / fs::u8path(log.fileName), std::ios::binary | std::ios::trunc);
        f << log.text;
        if (!f) return "cannot write " + log.fileName;
    }
    std::ofstream f(fs::u8path(dir) / "expected.csv", std::ios::binary | std::ios::trunc);
    f << "log_call,line,verdict\n";
    for (const ExpectedVerdict& e : contest.expected) f << e.call << ',' << e.line << ',' << verdictName(e.verdict) << '\n';
    if (!f) return "cannot write expected.csv";
    return {};
}

}  // namespace velmor::crosscheck
