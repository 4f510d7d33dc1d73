// The contest as the committee received it: every entrant's Cabrillo file read into the
// engine, with the QSO lines' texts kept for the outputs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/engine.h"

namespace velmor::crosscheck {

// A file that did not take part: unreadable, or superseded by a later log of its call.
struct SkippedFile {
    std::string file;
    std::string reason;
};

// The fields of a QSO line as written, split at runs of blanks after "QSO:"; fields the
// line does not have are empty.
//
// | index | field             |
// |-------|-------------------|
// | 0     | frequency         |
// | 1     | mode label        |
// | 2     | date              |
// | 3     | time              |
// | 4     | own call          |
// | 5     | RST sent          |
// | 6     | exchange sent     |
// | 7     | worked call       |
// | 8     | RST received      |
// | 9     | exchange received |
using LineFields = std::array<std::string_view, 10>;

class Contest {
public:
    explicit Contest(Options options) : engine(options) {}

    // Adds one Cabrillo file's bytes: its entrant, category, claimed score and every QSO
    // line. False (and `reason` set) when it cannot be read as a Cabrillo log. The entrant
    // is the CALLSIGN line; the category the CATEGORY line if it has a value, else the
    // values of CATEGORY-OPERATOR, CATEGORY-BAND and CATEGORY-MODE joined by blanks.
    bool addFile(const std::string& fileName, std::string_view bytes, std::string& reason);
    // Reads `path` and adds it; an unreadable file is kept with its reason for skipped().
    bool addPath(const std::string& path);
    // Adds a log read elsewhere under `name`, kept with its reason when it cannot be read.
    bool addBytes(const std::string& name, std::string_view bytes);
    std::size_t unreadableCount() const { return unreadable_.size(); }
    // Applies the rules; after this the results below are final.
    void run() { engine.run(); }

    Engine engine;

    std::string_view claimed(std::uint32_t log) const { return claimed_[log]; }
    // The whole QSO line (without its line end) of QSO `index` in engine order.
    std::string_view lineText(std::uint32_t index) const;
    LineFields fields(std::uint32_t index) const;
    // Unreadable and superseded files, in the order they were given.
    std::vector<SkippedFile> skipped() const;

private:
    std::vector<std::string> claimed_;  // per log: CLAIMED-SCORE as written
    std::vector<std::string> texts_;    // per log: its QSO lines, each ending in '\n'
    std::vector<std::uint32_t> order_;  // per log: position among all files given
    std::vector<std::pair<std::uint32_t, SkippedFile>> unreadable_;  // with their positions
    std::uint32_t files_ = 0;
};

// The files a LOG argument stands for: a file itself, or every ".cbr" and ".log" file
// (extension in any case) in a folder, sorted by name and joined to the folder with '/'.
std::vector<std::string> expandLogArgument(const std::string& arg);

// The fields of a QSO line ("QSO: 14025 CW ..."), as written.
LineFields splitQsoLine(std::string_view line);

}  // namespace velmor::crosscheck
