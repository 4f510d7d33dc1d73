// Untrusted text made safe for each place it is shown: one escaping function per sink.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every value from a log (a call, a category, a field, a line, a file name) that reaches a
// terminal, a report, a CSV cell or an HTML page goes through the function of that sink:
//
// | sink                                  | function     | what it does                                |
// |---------------------------------------|--------------|---------------------------------------------|
// | terminal, messages, text reports      | visible()    | control bytes as \xNN (visibleLines: but   |
// |                                       |              | the line ends)                              |
// | a quoted field inside a message       | quoted()     | "value", cut to 80 bytes with its length    |
// | a CSV cell                            | csvCell()    | formula defence, then CSV quoting           |
// | an HTML page (content or attribute)   | html()       | markup as entities, controls as \xNN,       |
// |                                       |              | invalid UTF-8 as U+FFFD                     |
//
// File names have their own rule (services/file_name.h: callFileNames).
namespace velmor::shown {

// How many bytes of a field a message quotes.
inline constexpr std::size_t kQuotedBytes = 80;

// `text` with every control byte (0x00-0x1F but tab, and 0x7F) written as visible "\xNN"
// ("\x1B" for ESC), so that no terminal acts on a byte from a log. Everything else,
// UTF-8 and code page 1251 letters included, is left as it is.
std::string visible(std::string_view text);
// The same for a text of several lines: its LF line ends are left as they are.
std::string visibleLines(std::string_view text);

// `value` in double quotes; a value longer than `limit` bytes is cut there (never inside a
// UTF-8 character) and says how long it was: "QSO:14025..." (52428800 bytes).
std::string quoted(std::string_view value, std::size_t limit = kQuotedBytes);

// `text` cut to at most `limit` bytes (at a UTF-8 character boundary) with "..." appended
// when it was longer.
std::string shortened(std::string_view text, std::size_t limit);

// Whether a spreadsheet would take a cell beginning with `text` as a formula: its first
// byte is =, +, -, @, a tab or a carriage return.
bool looksLikeFormula(std::string_view text);

// One CSV cell: a value a spreadsheet would run as a formula gets a leading ' (the common
// defence: "=2+5" is written '=2+5); then a value holding a comma, a quote, a CR or an LF
// is put in double quotes with its quotes doubled.
std::string csvCell(std::string_view value);
// The same, appended to `row`.
void appendCsvCell(std::string& row, std::string_view value);

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
// in a page (logs in code page 1251 show their letters as U+FFFD).
std::string html(std::string_view text);
// The same, appended to `out`.
void appendHtml(std::string& out, std::string_view text);

}  // namespace velmor::shown
