// A synthetic contest for the tests and the benchmark: seeded, with a known share of
// injected faults of every verdict and the verdict each QSO line must get.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crosscheck/engine.h"

namespace velmor::crosscheck {

struct SyntheticOptions {
    std::uint64_t seed = 1;
    std::uint32_t entrants = 40;     // stations that send a log
    std::uint32_t qsosPerLog = 100;  // QSO lines per log
    // Per QSO between two entrants: the chance of each injected fault (BAD-EXCH, BUSTED,
    // NIL, INVALID, OUT-OF-PERIOD, DUPE).
    double faultChance = 0.02;
    // Share of QSOs with stations that send no log; a tenth of those are heard only once.
    double nonEntrantShare = 0.2;
};

// The contest's period: 2026-05-16 12:00 to 16:00 UTC.
inline constexpr const char* kSyntheticPeriodStart = "2026-05-16T12:00";
inline constexpr const char* kSyntheticPeriodEnd = "2026-05-16T16:00";

struct SyntheticLog {
    std::string call;
    std::string fileName;  // "<call>.cbr" with '/' as '_'
    std::string text;      // the Cabrillo file, CR LF line ends
};

struct ExpectedVerdict {
    std::string call;   // the log's call
    std::uint32_t line;
    Verdict verdict;
};

struct SyntheticContest {
    std::vector<SyntheticLog> logs;
    std::vector<ExpectedVerdict> expected;  // by log call (byte order), then line
    std::uint64_t lines = 0;
};

// How it is built: calls from common prefixes and suffixes, no two of them one edit apart,
// so that every bust has exactly one explanation. Each QSO between two entrants uses a band
// and mode that pair of stations uses nowhere else, and the two logs' times differ by at
// most one minute; faults are injected into one side (BUSTED: one edit in the call; NIL:
// the other side is missing; INVALID: frequency, mode, date, exchange or a missing field;
// DUPE: the line is logged again minutes later in the same hour; OUT-OF-PERIOD: both sides
// before the period).
SyntheticContest makeSyntheticContest(const SyntheticOptions& options);

// Writes every log as <dir>/<fileName> and the expected verdicts as <dir>/expected.csv
// (log_call,line,verdict). Returns an empty string or what went wrong.
std::string writeSyntheticContest(const SyntheticContest& contest, const std::string& dir);

}  // namespace velmor::crosscheck
