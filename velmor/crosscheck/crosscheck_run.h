// One cross-check run: read the logs, apply the rules, write every output into a folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "services/file_ops.h"

namespace velmor::crosscheck {

// A log that does not come from a file (the robot's database): the name the outputs give
// it and its bytes.
struct NamedLog {
    std::string name;
    std::string bytes;
};
// Reads the logs kept in `source` (a database file) into `out`, in the order they are to
// be read; an empty string, or why it could not.
using LogSource = std::function<std::string(const std::string& source, std::vector<NamedLog>& out)>;

struct RunOptions {
    std::vector<std::string> logs;  // files or folders
    std::string db;                 // the robot's database (--db): its logs join `logs`
    LogSource readDb;               // how to read `db`; empty where this build cannot
    std::string outDir;
    std::int32_t toleranceMinutes = 5;
    std::string periodStart, periodEnd;  // "2026-05-16T12:00"; both empty: no period
    std::string sqlitePath;              // empty: no database
    // Contests whose logs are taken besides Velmor (--contest); a log naming any other is
    // left out with the reason.
    std::vector<std::string> otherContests;
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
