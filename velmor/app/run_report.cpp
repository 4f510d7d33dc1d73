// The end of a score, cabrillo or body run: committee faults, the summary line and the status.
#include "run_report.h"

#include "commands.h"
#include "console.h"
#include "host_session/run_summary.h"

namespace velmor::cli {

int reportRun(const std::string& path, const LogInput& in, const SessionOutput& out, bool listCommitteeFaults) {
    if (listCommitteeFaults)
        for (const CommitteeFault& c : committeeFaults(in.qsos, out)) {
            const QsoFields& f = in.qsos[c.index].fields;
            report(path + ":" + sourceName(in, in.qsos[c.index].source) + ": warning: " + f.call + " " + f.band +
                   " " + f.mode + ": " + c.fault.reason + "; written, but the committee will not count it");
        }
    const RunSummary summary = summarize(!in.cabrillo, in.entries, in.notRead, in.qsos, out);
    report(path + ": " + summary.text());
    return in.errors > 0 || !summary.complete() ? kLeftOut : kDone;
}

}  // namespace velmor::cli
