// The contest as the committee received it: every entrant's Cabrillo file read into the
// engine, with the QSO lines' texts kept for the outputs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cabrillo/qso_line.h"
#include "crosscheck/engine.h"
#include "services/file_ops.h"

namespace velmor::crosscheck {

// A file that did not take part: unreadable, or superseded by a later log of its call.
struct SkippedFile {
    std::string file;
    std::string reason;
};

// The fields of a QSO line as written (qso_line::split): field texts by qso_line::Field,
// empty for fields the line does not have.
using LineFields = qso_line::Split;

class Contest {
public:
    // `otherContests`: contests whose logs are taken besides this one's (check::otherContest).
    explicit Contest(Options options, std::vector<std::string> otherContests = {})
        : engine(options), otherContests_(std::move(otherContests)) {}

    // Reads `path` through `ops` line by line and adds its entrant, category, claimed score
    // and every QSO line; a file that cannot be read (a FIFO, a device, a folder or a
    // dangling link among them, UTF-16 text) or read as a Cabrillo log is kept with its
    // reason for skipped(), and so is a log whose CONTEST line names another contest than
    // this one and `otherContests` ("CONTEST: CQ-WW-CW is not this contest",
    // check::otherContest's words). The entrant is the CALLSIGN line's call (blanks around it
    // dropped, in upper case: calls are compared without letter case); the category the
    // CATEGORY line if it has a value, else the values of CATEGORY-OPERATOR, CATEGORY-BAND
    // and CATEGORY-MODE joined by blanks. Only the QSO lines' texts are kept (at most
    // shown::kQuotedBytes of a line over the reader's limit, which is INVALID).
    bool addPath(const std::string& path, const FileOps& ops = StdioFileOps());
    // An input that could not be read at all (a log folder that cannot be listed), kept with
    // its reason for skipped() in the order given.
    void addUnreadable(const std::string& path, const std::string& reason);
    // Adds a log read elsewhere (the robot's database) under `name`, kept with its reason
    // when it cannot be read as a Cabrillo log.
    bool addBytes(const std::string& name, std::string_view bytes);
    std::size_t unreadableCount() const { return unreadable_.size(); }
    // Applies the rules; after this the results below are final.
    void run() { engine.run(); }

    Engine engine;

    std::string_view claimed(std::uint32_t log) const { return claimed_[log]; }
    // The whole QSO line (without its line end) of QSO `index` in engine order.
    std::string_view lineText(std::uint32_t index) const;
    LineFields fields(std::uint32_t index) const;
    // Unreadable and superseded files, in the order they were given. A superseded file's
    // reason names the file that won and why: "superseded by B.cbr: its latest valid QSO
    // inside the period is at 2026-05-16 1559, this file's at 2026-05-16 1530" (see
    // Engine::latestDecidingMinute).
    std::vector<SkippedFile> skipped() const;
    std::string supersededReason(std::uint32_t log, std::uint32_t by) const;

private:
    std::vector<std::string> otherContests_;
    struct Reading;
    bool addReading(const std::string& fileName, Reading&& file, std::string& reason);

    std::vector<std::string> claimed_;  // per log: CLAIMED-SCORE as written
    std::vector<std::string> texts_;    // per log: its QSO lines, each ending in '\n'
    std::vector<std::uint32_t> order_;  // per log: position among all files given
    std::vector<std::pair<std::uint32_t, SkippedFile>> unreadable_;  // with their positions
    std::uint32_t files_ = 0;
};

// The files a LOG argument stands for: a file itself, or every entry named "*.cbr" or
// "*.log" (extension in any case) in a folder, listed through `ops`, sorted by name and
// joined to the folder with '/'. Entries are taken by name whatever they are, so that a
// folder, a FIFO or a dangling link so named is reported when read, not passed over in
// silence. A folder that cannot be listed gives no files and the reason in `folderError`.
std::vector<std::string> expandLogArgument(const std::string& arg, const FileOps& ops, std::string& folderError);

}  // namespace velmor::crosscheck
