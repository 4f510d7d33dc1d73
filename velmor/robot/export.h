// The committee's side: every entrant's latest log, named by its call, for velmor crosscheck.
#pragma once

#include <string>
#include <vector>

#include "robot/storage.h"

namespace velmor::robot {

struct EntrantLog {
    std::string fileName;  // "UA1AAA.cbr", unique among the logs (also by letter case)
    Upload upload;         // the latest upload of the call, with its bytes
};

// The file names of the logs of `entrants` (entrant keys, in the order given): the call
// through the project's file-name rule (safeFileBaseName: "/" and other forbidden bytes
// become "_", device names get "_") with ".cbr"; a name over 64 bytes is cut and gets a
// short hash of the call; names still shared (also by letter case) get "-2", "-3", ...,
// calls that needed no change keeping the plain name. No name holds "/", is ".", ".." or
// empty, so a file of it stays in its folder.
std::vector<std::string> exportFileNames(const std::vector<std::string>& entrants);

// Every entrant's latest log with its file name, by entrant. Empty string or the reason.
std::string latestEntrantLogs(Store& store, std::vector<EntrantLog>& out);

struct ExportReport {
    std::vector<std::string> errors;    // a file not written, with the reason
    std::vector<std::string> warnings;  // other .cbr/.log files found in the folder
};

// Writes each log into `dir` (created when missing) byte for byte as received: through a
// temporary file made exclusively (O_EXCL, no links followed) with an unguessable name,
// synced, then put in place, and only over a regular file or nothing (a link, folder or
// device at the name is left alone and reported). Files are opened relative to the
// folder, so no name reaches outside it.
ExportReport exportLogs(const std::vector<EntrantLog>& logs, const std::string& dir);

}  // namespace velmor::robot
