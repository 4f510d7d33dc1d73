// What the robot takes before anything parses an upload.
#include "robot/intake.h"

#include <algorithm>

#include "cabrillo_reader/cabrillo_reader.h"

namespace velmor::robot {

namespace cr = cabrillo_reader;

std::string_view textOf(std::string_view bytes) { return cr::withoutByteOrderMark(bytes); }

std::optional<IntakeRefusal> screenUpload(std::string_view bytes, const IntakeLimits& limits) {
    if (bytes.empty()) return IntakeRefusal{422, "the file is empty"};
    if (bytes.size() > limits.maxBytes)
        return IntakeRefusal{413, "the file is " + std::to_string(bytes.size()) + " bytes; this robot takes at most " +
                                      std::to_string(limits.maxBytes)};
    if (cr::looksUtf16(bytes)) return IntakeRefusal{422, std::string(cr::kUtf16Text)};
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        // A line ends at LF, CR LF or a lone CR, as the Cabrillo reader splits them.
        const bool end = c == '\n' || c == '\r';
        if (end || i + 1 == bytes.size()) {
            const std::size_t length = (end ? i : i + 1) - lineStart;
            if (length > limits.maxLineBytes)
                return IntakeRefusal{422, cr::lineTooLong("line " + std::to_string(line), length, limits.maxLineBytes)};
        }
        if (end) {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            if (i + 1 < bytes.size() && ++line > limits.maxLines)
                return IntakeRefusal{422, "more than " + std::to_string(limits.maxLines) + " lines"};
            lineStart = i + 1;
            continue;
        }
        if ((c < 0x20 && c != '\t' && c != '\f' && c != 0x1A) || c == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            return IntakeRefusal{422, std::string("not a plain text file: byte 0x") + kHex[c >> 4] + kHex[c & 15] +
                                          " on line " + std::to_string(line) + " (offset " + std::to_string(i) + ")"};
        }
    }
    return std::nullopt;
}

}  // namespace velmor::robot
