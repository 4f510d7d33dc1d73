// The rules of `velmor check`: what a contest robot rejects or misreads in a Cabrillo file
// (errors) and what it accepts but the contest or Cabrillo 3.0 frowns on (warnings).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cabrillo_reader/cabrillo_reader.h"

namespace velmor::check {

// | finding                                                    | severity | line            |
// |------------------------------------------------------------|----------|-----------------|
// | a line over the reader's limit (64 KB)                     | error    | that line       |
// | a tag Cabrillo 3.0 does not know (X- tags are allowed)     | error    | that line       |
// | a line without a tag                                       | error    | that line       |
// | no START-OF-LOG / no END-OF-LOG                            | error    | the last line   |
// | a QSO line the reader cannot parse (missing or malformed   | error    | that line       |
// |   field, impossible date or time, "Invalid DateTime",      |          |                 |
// |   empty date, an empty report that shifts the columns)     |          |                 |
// | a frequency outside the contest bands                      | error    | that line       |
// | a received exchange that is not a Velmor exchange          | error    | that line       |
// | a QSO earlier than the QSO line before it                  | warning  | that line       |
// | a repeat of call, band and mode in the same UTC clock hour | warning  | the repeat      |
// | CLAIMED-SCORE other than the score of the QSO lines (only  | warning  | CLAIMED-SCORE   |
// |   when every QSO line is a contest QSO)                    |          |                 |
// | the "PM" mode label (Cabrillo 3.0 lists DG for digital)    | warning  | first PM line   |
// | the legacy "CATEGORY:" line                                | warning  | that line       |
// | a band in lower case in CATEGORY-BAND ("160m")             | warning  | that line       |
//
// | CONTEST naming another contest than Velmor                 | warning  | that line       |
//
// The recomputed score is the plug-in's own: every readable QSO line with a contest band
// fed to the scoring through its host fields, as a logging program would.
struct Finding {
    enum class Severity { Error, Warning };
    int line = 0;
    Severity severity = Severity::Error;
    std::string message;
};

// The contest name rule: when the log's CONTEST line names another contest than this one
// (compared without letter case and surrounding blanks) or the `accepted` ones, the reason
// "CONTEST: <name> is not this contest"; nullopt otherwise, also when no CONTEST line names
// a contest.
std::optional<std::string> otherContest(std::string_view contestValue, const std::vector<std::string>& accepted = {});
std::optional<std::string> otherContest(const cabrillo_reader::File& file,
                                        const std::vector<std::string>& accepted = {});

// The rules applied to a file's lines as they are read, one at a time, so that a file of
// any size is checked in memory proportional to its QSO lines.
// `otherContests`: contests besides this one whose logs draw no warning (otherContest).
class CabrilloChecker {
public:
    explicit CabrilloChecker(std::vector<std::string> otherContests = {});
    ~CabrilloChecker();
    CabrilloChecker(const CabrilloChecker&) = delete;
    CabrilloChecker& operator=(const CabrilloChecker&) = delete;

    // The next line of the file.
    void add(const cabrillo_reader::Line& line);
    // Every finding, ordered by line (findings of one line in the order found); `lastLine`
    // is the number of the file's last line (0 for an empty file).
    std::vector<Finding> finish(int lastLine);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Every finding of a file in memory (a UTF-16 file has one: kUtf16Text, on line 1).
std::vector<Finding> checkCabrillo(std::string_view bytes, const std::vector<std::string>& otherContests = {});

// "FILE:LINE: error: MESSAGE" or "FILE:LINE: warning: MESSAGE"; `message` in place of the
// finding's own (its text made ready for a terminal).
std::string formatFinding(const std::string& fileName, const Finding& finding);
std::string formatFinding(const std::string& fileName, const Finding& finding, std::string_view message);

// The most serious finding's severity (Error over Warning); nullopt for a clean file.
std::optional<Finding::Severity> worstSeverity(const std::vector<Finding>& findings);

}  // namespace velmor::check
