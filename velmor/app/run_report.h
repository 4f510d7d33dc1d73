// The end of a score, cabrillo or body run: what became of the log's records, and the status.
#pragma once

#include <string>

#include "host_session/plugin_session.h"
#include "log_input.h"

namespace velmor::cli {

// Writes to standard error, with `in`'s file name: with `listCommitteeFaults`, one warning
// per written QSO the committee will not count (score lists them in its own text); then
// the summary line (host_session/run_summary.h). Returns kLeftOut when an error was
// reported or the summary is not complete, else kDone.
int reportRun(const std::string& path, const LogInput& in, const SessionOutput& out, bool listCommitteeFaults);

}  // namespace velmor::cli
