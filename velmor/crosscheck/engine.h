// The cross-check engine: every QSO line of every entrant's log gets one verdict, every
// entrant a score. Pure rules over compact records: no files, no output formats.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/contest_rules.h"

namespace velmor::crosscheck {

// The verdicts, in the order the rules decide them.
//
// | verdict       | counts | detail                                   | evidence (partner)     |
// |---------------|--------|------------------------------------------|------------------------|
// | INVALID       | no     | why the line is not a contest QSO        | -                      |
// | OUT-OF-PERIOD | no     | "before the period" / "after the period" | -                      |
// | DUPE          | no     | line number of the QSO that counts       | that line, same log    |
// | OK            | yes    | -                                        | the paired line        |
// | BAD-EXCH      | no     | the partner's sent exchange              | the paired line        |
// | BUSTED        | no     | the call of the station really worked    | that station's line    |
// | NIL           | no     | -                                        | -                      |
// | UNIQUE        | yes    | -                                        | -                      |
// | UNVERIFIED    | yes    | -                                        | -                      |
enum class Verdict : std::uint8_t {
    Pending,  // internal: not decided yet
    Invalid,
    OutOfPeriod,
    Dupe,
    Ok,
    BadExch,
    Busted,
    Nil,
    Unique,
    Unverified,
};
inline constexpr int kVerdictCount = 10;

// "OK", "BAD-EXCH", ... as written in the outputs.
std::string_view verdictName(Verdict v);
// Whether a QSO with this verdict counts for the score.
bool verdictCounts(Verdict v);
// What the verdict means, for the entrant and the results page, in one sentence or two;
// `toleranceMinutes` is the run's pairing tolerance.
std::string verdictMeaning(Verdict v, std::int32_t toleranceMinutes);
// The verdicts in the order the rules decide them (Pending left out).
inline constexpr Verdict kVerdictsInOrder[] = {Verdict::Invalid, Verdict::OutOfPeriod, Verdict::Dupe,
                                              Verdict::Ok,      Verdict::BadExch,     Verdict::Busted,
                                              Verdict::Nil,     Verdict::Unique,      Verdict::Unverified};

// Whether `a` and `b` differ by exactly one edit: one character changed, added or dropped,
// or two neighbouring characters swapped. Equal texts are not one edit apart.
bool oneEditApart(std::string_view a, std::string_view b);

// One QSO line handed to the engine: either the line's fault (`fault` not empty: the line
// cannot be read as a QSO; it is INVALID with that reason) or its typed fields.
struct QsoInput {
    std::uint32_t line = 0;         // line number in the file
    std::uint32_t cookie = 0;       // the caller's handle on the line (given back as is)
    std::string_view fault;         // non-empty: INVALID for this reason
    std::int64_t freqKHz = 0;
    const rules::ModeRule* mode = &rules::kModes[0];  // a contest mode
    std::int64_t minute = 0;        // minutesSinceEpoch of the QSO's date and time
    std::string_view call;          // worked call
    std::string_view exchSent;
    std::string_view exchRcvd;
};

struct Options {
    std::int32_t toleranceMinutes = 5;
    // Contest period in minutes since the epoch: [start, end). No period: every time is in.
    std::optional<std::int64_t> periodStart, periodEnd;
};

// Counts and score of one counted log.
struct LogSummary {
    std::uint32_t lines = 0;
    std::uint32_t byVerdict[kVerdictCount] = {};
    std::uint32_t counted = 0;  // OK + UNIQUE + UNVERIFIED
    std::int64_t score = 0;
    std::uint32_t place = 0;    // within the category; equal scores share a place
};

class Engine {
public:
    explicit Engine(Options options);

    // Starts the next log; its QSO lines follow with addQso. Returns the log's index.
    // `call` is compared byte for byte (the caller gives it in upper case, without blanks
    // around it). `fileName` decides between two logs of one call when their latest QSOs tie.
    std::uint32_t addLog(std::string_view call, std::string_view category, std::string_view fileName);
    // One QSO line of the log started last, in file order.
    void addQso(const QsoInput& qso);

    // Applies every rule. Call once, after the last addQso.
    void run();

    // ---- results (after run) ----
    struct QsoResult {
        std::uint32_t log;
        std::uint32_t line;
        std::uint32_t cookie;
        Verdict verdict;
        // DUPE, OK, BAD-EXCH, BUSTED: index (into qsos()) of the QSO that is the evidence.
        std::optional<std::uint32_t> partner;
        std::string_view reason;  // INVALID, OUT-OF-PERIOD
    };
    const Options& options() const { return options_; }
    std::size_t logCount() const { return logs_.size(); }
    std::size_t qsoCount() const { return recs_.size(); }
    std::string_view logCall(std::uint32_t log) const;
    std::string_view logCategory(std::uint32_t log) const;
    std::string_view logFileName(std::uint32_t log) const;
    // nullopt for a log that counts; the index of the log that replaced it otherwise.
    std::optional<std::uint32_t> supersededBy(std::uint32_t log) const;
    // What decides between two logs of one call (the later wins; on a tie the file name that
    // sorts last): the minute of the log's latest QSO that counts for this. With a period,
    // only valid QSOs inside it count; without one, every valid QSO but those dated more
    // than a day after the log's median QSO date (a mistyped or forged year cannot make a
    // log the latest). nullopt when no QSO counts.
    std::optional<std::int64_t> latestDecidingMinute(std::uint32_t log) const;
    // How many valid QSOs of the log were not counted for this, being dated more than a day
    // after its median QSO date (always 0 with a period).
    std::uint32_t lateQsosIgnored(std::uint32_t log) const { return logs_[log].lateIgnored; }
    bool hasPeriod() const { return options_.periodStart.has_value() || options_.periodEnd.has_value(); }
    // Counted logs in order of call (byte order).
    const std::vector<std::uint32_t>& countedLogsByCall() const { return byCall_; }
    // Index range [first, last) of a log's QSOs in qsos(); in file order.
    std::pair<std::uint32_t, std::uint32_t> qsoRange(std::uint32_t log) const;
    QsoResult qso(std::uint32_t index) const;
    const LogSummary& summary(std::uint32_t log) const { return logs_[log].summary; }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    // Exchange texts as small codes: "001".."999" -> 1..999, exact three digits "000" -> 0,
    // "WM" -> 1000, anything else -> kOtherExchange (never equal to a valid received one).
    static constexpr std::uint16_t kWmCode = 1000;
    static constexpr std::uint16_t kOtherExchange = 0xFFFF;
    static std::uint16_t exchangeCode(std::string_view text);

    // One QSO line: 40 bytes.
    struct Rec {
        std::int64_t minute;    // minutes since the epoch
        std::uint32_t call;     // interned worked call
        std::uint32_t line;
        std::uint32_t cookie;
        std::uint32_t log;
        std::uint32_t link;     // partner index, or reason index for INVALID/OUT-OF-PERIOD
        std::uint16_t exchSent;
        std::uint16_t exchRcvd;
        std::uint8_t band;
        std::uint8_t mode;      // index into rules::kModes
        Verdict verdict;
        std::uint8_t paired;    // 1 once paired (by pairing or as a bust's partner)
    };
    struct Log {
        std::uint32_t call;
        std::string category;
        std::string fileName;
        std::uint32_t first = 0, last = 0;
        std::uint32_t supersededBy = kNone;
        std::int64_t latestDeciding = INT64_MIN;  // INT64_MIN: no QSO counts for this
        std::uint32_t lateIgnored = 0;
        LogSummary summary;
    };

    std::uint32_t intern(std::string_view call);
    std::uint32_t reason(std::string_view text);
    void decidingMinutes();
    void resolveSecondLogs();
    void markDupes();
    void pairLogs();
    void findBusts();
    void decideUnpaired();
    void score();
    void settleExchange(Rec& q, const Rec& partner, std::uint32_t partnerIndex);
    // The counted logs whose call is one edit from interned call `call` (busted-call search),
    // found once per call.
    std::pair<const std::uint32_t*, const std::uint32_t*> oneEditEntrants(std::uint32_t call);

    Options options_;
    std::vector<Rec> recs_;
    std::vector<Log> logs_;
    std::vector<std::uint32_t> byCall_;
    std::vector<std::uint32_t> entrantLog_;  // per interned call: its counted log, or kNone
    std::deque<std::string> names_;          // interned calls; a deque never moves them
    std::unordered_map<std::string_view, std::uint32_t> ids_;
    std::vector<std::string> reasons_;
    std::unordered_map<std::string, std::uint32_t> reasonIds_;
    // Busted-call search (held only while it runs): counted logs by the keys of their call
    // (its hash and the hash of each one-character deletion: two calls one edit apart share
    // a key), and per interned call the counted logs one edit from it, as a range of near_.
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> editKeys_;
    std::vector<std::uint32_t> nearFirst_, nearCount_, near_;
};

}  // namespace velmor::crosscheck
