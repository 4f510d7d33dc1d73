// velmor score: the plug-in's statistics text and score, the QSOs it turned away, and the
// repeats within the clock hour.
#include <memory>
#include <unordered_map>

#include "commands.h"
#include "console.h"
#include "cabrillo/qso_line.h"
#include "log/ole_date.h"
#include "log_input.h"
#include "host_session/run_summary.h"
#include "run_report.h"

namespace velmor::cli {
namespace {

struct ScoreOptions {
    std::string log;
    std::string call;
    bool raw = false;
};

// Progress only for large logs on a terminal.
constexpr std::size_t kProgressFrom = 50000;

std::string repeatReport(const LogInput& in, const SessionOutput& out) {
    std::string text;
    std::size_t count = 0;
    // First QSO of each (call, band, mode, UTC clock hour) among the QSOs the plug-in kept.
    std::unordered_map<std::string, int> first;
    for (std::size_t i = 0; i < in.qsos.size(); ++i) {
        if (!out.stored[i]) continue;
        const QsoFields& f = in.qsos[i].fields;
        const std::optional<std::int64_t> minute = qsoMinute(f.time);
        if (!minute) continue;
        const auto [it, isFirst] = first.emplace(qso_line::repeatKey(f.call, f.band, f.mode, *minute), in.qsos[i].source);
        if (isFirst) continue;
        ++count;
        const std::optional<CalendarTime> t = toCalendar(f.time.date);
        char hour[32];
        std::snprintf(hour, sizeof hour, "%04d-%02d-%02d %02dh", t->year, t->month, t->day, t->hour);
        text += sourceName(in, in.qsos[i].source) + " repeats " + sourceName(in, it->second) + ": " + f.call +
                " " + f.band + " " + f.mode + " " + hour + "\r\n";
    }
    return "Repeats within the clock hour (" + std::to_string(count) + "):\r\n" + text;
}

// The QSOs the plug-in counts but the committee will not (a band outside the contest's, an
// exchange that is not a Velmor exchange), each with the reason, and the score without them.
std::string committeeReport(const LogInput& in, const SessionOutput& out) {
    std::string text;
    const std::vector<CommitteeFault> faults = committeeFaults(in.qsos, out);
    std::vector<QsoFields> counted;
    std::size_t next = 0;  // the next fault, in QSO order
    for (std::size_t i = 0; i < in.qsos.size(); ++i) {
        if (!out.stored[i]) continue;
        const QsoFields& f = in.qsos[i].fields;
        if (next < faults.size() && faults[next].index == i) {
            text += sourceName(in, in.qsos[i].source) + ": " + f.call + " " + f.band + " " + f.mode + ": " +
                    faults[next++].faults.front().reason + "\r\n";
            continue;
        }
        counted.push_back(f);
    }
    std::string heading = "Not counted by the committee (" + std::to_string(faults.size()) + ")";
    if (!faults.empty()) heading += ", score without them " + std::to_string(sessionScore(counted));
    return heading + ":\r\n" + text;
}

int runScore(const ScoreOptions& o) {
    LogInput in;
    if (!readLog(o.log, o.call, in)) return kExitFileError;
    SessionInput session;
    session.ownCall = in.ownCall;
    const bool progress = in.qsos.size() > kProgressFrom && stderrIsTerminal();
    const SessionOutput out = runSession(session, in.qsos, progress ? showProgress : nullptr);

    std::string text = out.statistics;
    if (text.empty() || text.back() != '\n') text += "\r\n";
    // The journal's lines after its header line.
    const std::size_t headerEnd = out.journal.find("\r\n");
    const std::string turnedAway = headerEnd == std::string::npos ? std::string() : out.journal.substr(headerEnd + 2);
    std::size_t lines = 0;
    for (char c : turnedAway) lines += c == '\n';
    text += "\r\nTurned away (" + std::to_string(lines) + "):\r\n" + turnedAway;
    text += "\r\n" + repeatReport(in, out);
    text += "\r\n" + committeeReport(in, out);
    if (!writeStdout(o.raw ? text : toTerminal(text))) return kExitFileError;
    return reportRun(o.log, in, out, nullptr);
}

}  // namespace

void setUpScore(CLI::App& cmd, Run& run) {
    auto o = std::make_shared<ScoreOptions>();
    cmd.description(std::string("Score a log as the plug-in does: statistics text and score, QSOs turned away (as err.txt "
                                 "holds them), repeats within the clock hour, and the QSOs the plug-in "
                                 "counts but the committee will not (outside the contest bands, or "
                                 "without a Velmor exchange) with the score without them.\n") +
                    kAdifFieldsHelp + kConvertStatusHelp);
    cmd.add_option("LOG", o->log, kLogHelp)->required();
    cmd.add_option("--call", o->call, "own call for records without STATION_CALLSIGN or OPERATOR");
    cmd.add_flag("--raw", o->raw, "write the plug-in's bytes unchanged (code page 1251, CR LF)");
    cmd.callback([o, &run] { run = [o] { return runScore(*o); }; });
}

}  // namespace velmor::cli
