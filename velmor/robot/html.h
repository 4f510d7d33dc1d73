// Text from an upload made safe for an HTML page: the one escaping function of that sink.
#pragma once

#include <string>
#include <string_view>

namespace velmor::robot {

// `text` as HTML element content or a quoted attribute value, whatever bytes it holds:
//
// | input                                   | output                          |
// |-----------------------------------------|---------------------------------|
// | & < > " '                               | &amp; &lt; &gt; &quot; &#39;    |
// | a control byte (0x00-0x1F but tab, 0x7F)| \xNN as visible text ("\x1B")   |
// | a byte that is not part of valid UTF-8  | U+FFFD (the replacement sign)   |
// | anything else (valid UTF-8)             | unchanged                       |
//
// So nothing an entrant writes becomes markup, a broken character or an invisible control
// in the pages (logs in code page 1251 show their letters as U+FFFD).
std::string escapeHtml(std::string_view text);

// `text` cut to at most `limit` bytes (at a UTF-8 character boundary) with "..." appended
// when it was longer; for showing untrusted lines of any length.
std::string shortened(std::string_view text, std::size_t limit);

}  // namespace velmor::robot
