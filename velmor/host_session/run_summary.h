// What became of a log's records in one run: the closing line of score, cabrillo and body.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "cabrillo/qso_line.h"
#include "host_session/plugin_session.h"

namespace velmor::cli {

// A QSO the plug-in kept but the committee will not count (outside the contest bands, or
// without a Velmor exchange), with every reason in check's words.
struct CommitteeFault {
    std::size_t index = 0;  // into the session's QSOs
    std::vector<qso_line::Fault> faults;
};
std::vector<CommitteeFault> committeeFaults(const std::vector<LogQso>& qsos, const SessionOutput& out);

// The counts behind the line
//   "532 records: 0 contest QSOs; 400 without a received exchange (SRX_STRING or SRX),
//    132 in modes outside CW, SSB and BPSK63 (FT4, RTTY)"
// (one line; "QSO lines" for a Cabrillo log, whose exchanges are never empty).
struct RunSummary {
    bool adif = true;                 // the entries are ADIF records, else Cabrillo QSO lines
    std::size_t entries = 0;          // records or QSO lines in the file
    std::size_t notRead = 0;          // left out before the plug-in saw them (each reported)
    std::size_t kept = 0;             // the QSOs the plug-in kept: the contest QSOs
    std::size_t notCounted = 0;       // of those, the ones the committee will not count
    std::size_t noReceivedExchange = 0;
    std::size_t noSentExchange = 0;
    std::map<std::string, std::size_t> otherModes;  // turned away for their mode, by mode

    std::size_t turnedAway() const;
    // Nothing lost: at least one contest QSO, every entry read and kept, and every kept QSO
    // one the committee counts. Otherwise the run's exit status is 1.
    bool complete() const;
    std::string text() const;
};

// `entries` and `notRead` as the reader counted them; the rest from the session.
RunSummary summarize(bool adif, std::size_t entries, std::size_t notRead, const std::vector<LogQso>& qsos,
                     const SessionOutput& out);

}  // namespace velmor::cli
