// The end of a score, cabrillo or body run: what became of the log's records, and the status.
#pragma once

#include <string>

#include "host_session/plugin_session.h"
#include "log_input.h"

namespace velmor::cli {

// A file the run wrote: the Cabrillo file, or the QSO lines alone (body).
struct WrittenFile {
    std::string name;          // as given ("-": standard output)
    const std::string* bytes;  // what was written
    bool qsoLinesOnly = false;
};

// Writes to standard error. With a written file: every line of it that velmor check would
// call an error, one warning each naming the input record (for a QSO the committee will not
// count: "...; written as NAME:LINE, which the committee will not count"), so that check
// never finds an error the run did not report. Then the summary line
// (host_session/run_summary.h), and last "written: NAME (N QSO lines, claimed score S)".
// Returns kExitLeftOut when an error was reported, check would find one, or the summary is not
// complete; else kExitDone.
int reportRun(const std::string& path, const LogInput& in, const SessionOutput& out, const WrittenFile* written);

}  // namespace velmor::cli
