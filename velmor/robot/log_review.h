// The robot's one contact with the contest's rules: velmor check's findings, the score
// velmor score computes, and the contest-name rule. Nothing else in the robot includes the
// check, score or reader modules, so that a change there meets the robot in this file only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::robot {

struct ReviewFinding {
    int line = 0;          // from 1
    bool error = false;    // false: a warning
    std::string message;   // as velmor check words it (without "FILE:LINE: error: ")
    std::string lineText;  // the line's bytes as written, without its line end
};

struct LogReview {
    std::vector<ReviewFinding> findings;  // ordered by line
    std::string call;          // CALLSIGN as written, without blanks at the ends
    std::string category;      // CATEGORY, else CATEGORY-OPERATOR, -BAND and -MODE joined by blanks
    std::string claimedScore;  // CLAIMED-SCORE as written
    int qsoLines = 0;          // lines tagged QSO:
    std::int32_t score = 0;    // the score velmor score computes for the log

    bool refused() const;  // any finding is an error
};

// Reviews a log's text (after the intake's screening; a UTF-8 byte-order mark already
// removed). The findings are velmor check's, plus the robot's own errors:
//
// | refused                                              | message                                  |
// |------------------------------------------------------|------------------------------------------|
// | a CONTEST line naming another contest than "Velmor"  | CONTEST: <value> is not this contest     |
// |   or one of `otherContests` (check::otherContest:    |   (velmor check's warning, made an error)|
// |   any letter case, blanks at the ends ignored)       |                                          |
// | no CALLSIGN line, or an empty one                    | no CALLSIGN: line ... / CALLSIGN: is ... |
LogReview reviewLog(std::string_view text, const std::vector<std::string>& otherContests);

}  // namespace velmor::robot
