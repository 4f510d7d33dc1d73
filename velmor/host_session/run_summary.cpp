// The closing line of score, cabrillo and body: the log's records by what became of them.
#include "host_session/run_summary.h"

#include "log/contest_rules.h"
#include "log/journal.h"

namespace velmor::cli {
namespace {

// "1 record", "2 records".
std::string count(std::size_t n, const std::string& one, const std::string& many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The frequency as the committee reads the QSO line: from 50 MHz on the line carries the
// band designator, which stands for its band's lower edge.
std::int64_t writtenKHz(std::int64_t kHz) {
    const qso_line::BandDesignator* d = qso_line::designatorOf(kHz);
    return d ? d->lowKHz : kHz;
}

}  // namespace

std::vector<CommitteeFault> committeeFaults(const std::vector<LogQso>& qsos, const SessionOutput& out) {
    std::vector<CommitteeFault> faults;
    for (std::size_t i = 0; i < qsos.size() && i < out.stored.size(); ++i) {
        if (!out.stored[i]) continue;
        const QsoFields& f = qsos[i].fields;
        std::vector<qso_line::Fault> reasons = qso_line::contestFaults(writtenKHz(f.freqHz / 1000), f.mode, f.exchRcvd);
        if (!reasons.empty()) faults.push_back({i, std::move(reasons)});
    }
    return faults;
}

std::size_t RunSummary::turnedAway() const {
    std::size_t n = noReceivedExchange + noSentExchange;
    for (const auto& mode : otherModes) n += mode.second;
    return n;
}

bool RunSummary::complete() const { return kept > 0 && notRead == 0 && turnedAway() == 0 && notCounted == 0; }

std::string RunSummary::text() const {
    std::string line = adif ? count(entries, "record", "records") : count(entries, "QSO line", "QSO lines");
    line += ": " + count(kept, "contest QSO", "contest QSOs");
    if (notCounted > 0) line += ", " + std::to_string(notCounted) + " of which the committee will not count";
    std::vector<std::string> lost;
    if (notRead > 0) lost.push_back(std::to_string(notRead) + " not read");
    if (noReceivedExchange > 0)
        lost.push_back(std::to_string(noReceivedExchange) + " without a received exchange" +
                       (adif ? " (SRX_STRING or SRX)" : ""));
    if (noSentExchange > 0)
        lost.push_back(std::to_string(noSentExchange) + " without a sent exchange" + (adif ? " (STX_STRING or STX)" : ""));
    std::size_t otherModeQsos = 0;
    std::string modes;
    for (const auto& [mode, n] : otherModes) {
        otherModeQsos += n;
        modes += (modes.empty() ? "" : ", ") + (mode.empty() ? std::string("no mode") : mode);
    }
    if (otherModeQsos > 0)
        lost.push_back(std::to_string(otherModeQsos) + " in modes outside CW, SSB and BPSK63 (" + modes + ")");
    for (std::size_t i = 0; i < lost.size(); ++i) line += (i == 0 ? "; " : ", ") + lost[i];
    return line;
}

RunSummary summarize(bool adif, std::size_t entries, std::size_t notRead, const std::vector<LogQso>& qsos,
                     const SessionOutput& out) {
    RunSummary s;
    s.adif = adif;
    s.entries = entries;
    s.notRead = notRead;
    for (std::size_t i = 0; i < qsos.size() && i < out.stored.size(); ++i) {
        if (out.stored[i]) {
            ++s.kept;
            continue;
        }
        const QsoFields& f = qsos[i].fields;
        const std::string_view reason = turnAwayReason(f);
        if (reason == rules::kReasonNoTestMode)
            ++s.otherModes[f.mode];
        else if (f.exchRcvd.empty())
            ++s.noReceivedExchange;
        else
            ++s.noSentExchange;
    }
    s.notCounted = committeeFaults(qsos, out).size();
    return s;
}

}  // namespace velmor::cli
