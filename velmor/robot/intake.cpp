// What the robot takes before anything parses an upload.
#include "robot/intake.h"

#include <algorithm>

namespace velmor::robot {
namespace {

bool looksUtf16(std::string_view b) {
    if (b.size() >= 2 && ((b[0] == '\xFF' && b[1] == '\xFE') || (b[0] == '\xFE' && b[1] == '\xFF'))) return true;
    // Without a mark: ASCII text as UTF-16 has a zero byte in every other place.
    const std::size_t n = std::min<std::size_t>(b.size(), 64);
    if (n < 4) return false;
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < n; ++i) (i % 2 ? oddZeros : evenZeros) += b[i] == '\0';
    const std::size_t half = n / 2;
    return (oddZeros * 4 >= half * 3 && evenZeros * 4 <= half) || (evenZeros * 4 >= half * 3 && oddZeros * 4 <= half);
}

}  // namespace

std::string_view textOf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return bytes;
}

std::optional<IntakeRefusal> screenUpload(std::string_view bytes, const IntakeLimits& limits) {
    if (bytes.empty()) return IntakeRefusal{422, "the file is empty"};
    if (bytes.size() > limits.maxBytes)
        return IntakeRefusal{413, "the file is " + std::to_string(bytes.size()) + " bytes; this robot takes at most " +
                                      std::to_string(limits.maxBytes)};
    if (looksUtf16(bytes)) return IntakeRefusal{422, "UTF-16 text: save the log as plain text"};
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        // A line ends at LF, CR LF or a lone CR, as the Cabrillo reader splits them.
        const bool end = c == '\n' || c == '\r';
        if (end || i + 1 == bytes.size()) {
            const std::size_t length = (end ? i : i + 1) - lineStart;
            if (length > limits.maxLineBytes)
                return IntakeRefusal{422, "line " + std::to_string(line) + " is " + std::to_string(length) +
                                              " bytes long; at most " + std::to_string(limits.maxLineBytes) +
                                              " are taken"};
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
