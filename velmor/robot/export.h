// The committee's side: every entrant's latest log, named by its call, for velmor crosscheck.
#pragma once

#include <string>
#include <vector>

#include "robot/storage.h"
#include "services/file_ops.h"

namespace velmor::robot {

struct EntrantLog {
    std::string fileName;  // "UA1AAA.cbr", unique among the logs (also by letter case)
    Upload upload;         // the latest upload of the call, with its bytes
};

// The file names of the logs of `entrants` (entrant keys, in the order given): each call
// through the project's one rule for call file names (services/file_name.h: callFileNames,
// ".cbr"), the rule velmor crosscheck names its reports by: no name leaves the folder, names
// a device or passes the length limit, and no two share a file (also by letter case).
std::vector<std::string> exportFileNames(const std::vector<std::string>& entrants);

// Every entrant's latest log with its file name, by entrant. Empty string or the reason.
std::string latestEntrantLogs(Store& store, std::vector<EntrantLog>& out);

struct ExportReport {
    std::size_t written = 0;            // logs written
    std::vector<std::string> errors;    // a file not written, with the reason
    std::vector<std::string> warnings;  // other .cbr/.log files found in the folder
};

// Writes each log into `dir` (created when missing) byte for byte as received, through the
// program's file table (`ops`) and its FileReplacement: a temporary file made exclusively
// under an unguessable name, synced to the disk, then put in place, and only over a regular
// file or nothing (a link, folder or device at the name is left alone and reported); each
// file and the folder's entry for it reach the disk before the next file is written. A name
// that is not a plain file name is refused.
ExportReport exportLogs(const std::vector<EntrantLog>& logs, const std::string& dir,
                        const FileOps& ops = StdioFileOps());

}  // namespace velmor::robot
