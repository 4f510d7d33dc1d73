// What the robot takes before anything parses an upload: size, plain text, line lengths
// and counts. Every uploaded byte is untrusted; these bounds keep the readers' time and
// memory in proportion whatever arrives.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cabrillo_reader/cabrillo_reader.h"

namespace velmor::robot {

struct IntakeLimits {
    std::size_t maxBytes = 2 * 1024 * 1024;  // --max-bytes
    std::size_t maxLineBytes = cabrillo_reader::kMaxLineBytes;  // one line, line end not counted
    std::size_t maxLines = 100000;
};

// Why an upload is refused before it is read as a log: the HTTP status (413 for size,
// 422 for content) and the reason shown to the entrant.
struct IntakeRefusal {
    int status = 422;
    std::string reason;
};

// | refused                                   | status | reason (example)                                          |
// |-------------------------------------------|--------|-----------------------------------------------------------|
// | no bytes                                  | 422    | the file is empty                                         |
// | more than maxBytes                        | 413    | the file is 3145728 bytes; this robot takes at most ...    |
// | UTF-16 (cabrillo_reader::looksUtf16)      | 422    | UTF-16 text: save the log as plain text (kUtf16Text)      |
// | a control byte other than tab, CR, LF,    | 422    | not a plain text file: byte 0x00 on line 3 (offset 57)    |
// |   form feed and Ctrl-Z                    |        |                                                           |
// | a line longer than maxLineBytes (the      | 422    | line 7 is 70000 bytes long, over the 65536 bytes a line   |
// |   reader's limit; lineTooLong's words)    |        |   may have                                                |
// | more than maxLines lines                  | 422    | more than 100000 lines                                    |
//
// A UTF-8 byte-order mark is taken (and skipped for reading, see textOf). The encoding and
// the line length are the Cabrillo reader's own rules and words: one rule, one place.
std::optional<IntakeRefusal> screenUpload(std::string_view bytes, const IntakeLimits& limits);

// The text the Cabrillo reader gets: `bytes` without a leading UTF-8 byte-order mark.
std::string_view textOf(std::string_view bytes);

}  // namespace velmor::robot
