// One cross-check run: read the logs, apply the rules, write every output into a folder.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "services/file_ops.h"

namespace velmor::crosscheck {

struct RunOptions {
    std::vector<std::string> logs;  // files or folders
    std::string outDir;
    std::int32_t toleranceMinutes = 5;
    std::string periodStart, periodEnd;  // "2026-05-16T12:00"; both empty: no period
    std::string sqlitePath;              // empty: no database
    // Every file read and written goes through this table (the program hands in its
    // platform's; tests a table with faults).
    const FileOps* files = &StdioFileOps();
};

// How a run ended (the program turns it into its exit status).
enum class RunOutcome {
    AllRead,       // every file was read and every output written
    FilesLeftOut,  // some files were left out; the outputs are written
    UsageError,    // the options do not make a run: nothing was written
    OutputFailed,  // an output could not be written
};

// Minutes since the epoch of "YYYY-MM-DDTHH:MM" (a real date and time), else nullopt.
std::optional<std::int64_t> parsePeriodTime(std::string_view text);

// Runs the cross-check; messages (files left out, failures, the summary line) go to
// `err`. Every output is streamed through a FileReplacement: put in place only when whole.
RunOutcome runCrosscheck(const RunOptions& options, std::ostream& err);

}  // namespace velmor::crosscheck
