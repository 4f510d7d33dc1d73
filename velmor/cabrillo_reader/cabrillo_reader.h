// Reading a Cabrillo file: numbered lines, one at a time, each split into its tag and value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cabrillo/qso_line.h"
#include "services/file_ops.h"

namespace velmor::cabrillo_reader {

// QSO lines are read by the one QSO-line module (cabrillo/qso_line.h: qso_line::read on a
// line's text), which the plug-in's writer, the checks and the cross-check share.
//
// Every log is untrusted, so the reader holds one line at a time, and only so much of it:
//
// | input                                   | what the reader does                            |
// |-----------------------------------------|-------------------------------------------------|
// | CR LF, LF or a lone CR                  | ends a line (an empty file has no lines)        |
// | a UTF-8 byte-order mark at the start    | skipped                                         |
// | UTF-16 (a UTF-16 byte-order mark, or    | the file is not read: kUtf16Text                |
// |   zero bytes in every other place of    |                                                 |
// |   the first 64 bytes)                   |                                                 |
// | a line over kMaxLineBytes               | its first kMaxLineBytes bytes are kept, the     |
// |                                         |   rest is counted (Line::length) and dropped;   |
// |                                         |   a reader of it names it (lineTooLong)         |
//
// So reading a file of any size takes memory in proportion to what the caller keeps: a
// file of ten million blank lines costs no more than an empty one.

// The longest line read whole, line end not counted.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Why a file is not read as text: what the operator is told.
inline constexpr std::string_view kUtf16Text = "UTF-16 text: save the log as plain text";

// Whether bytes that start a file are UTF-16 text: a UTF-16 byte-order mark, or (ASCII text
// written as UTF-16 without one) a zero byte in every other place of the first 64 bytes.
bool looksUtf16(std::string_view start);

// `bytes` without a leading UTF-8 byte-order mark.
std::string_view withoutByteOrderMark(std::string_view bytes);

// Why `subject` (e.g. "the line", "line 7") of `length` bytes is not read: "the line is
// 70000 bytes long, over the 65536 bytes a line may have".
std::string lineTooLong(std::string_view subject, std::size_t length, std::size_t limit = kMaxLineBytes);

// One line of the file, its line end removed.
struct Line {
    int number = 0;                   // from 1
    std::string text;                 // bytes of the line without CR LF / LF (at most
                                      // kMaxLineBytes: see length)
    std::string tag;                  // text before the first ':' when it is a tag
                                      // (letters, digits and '-', at least one), else empty
    std::string value;                // text after that ':' without blanks at either end
    std::size_t length = 0;           // bytes of the whole line as in the file

    bool isTag() const { return !tag.empty(); }
    // A tag line whose tag is "QSO" (in any case).
    bool isQso() const;
    // Longer than kMaxLineBytes: `text` holds only the line's start.
    bool tooLong() const { return length > kMaxLineBytes; }
    // Blanks (space, tab) only, or nothing.
    bool blank() const;
};

// A QSO line read by the one QSO-line reader (qso_line::read); a line over kMaxLineBytes is
// not read but is a fault of its own: lineTooLong("the line", its length).
qso_line::Parse readQso(const Line& line);

// The lines of a file or of bytes in memory, one at a time.
class LineReader {
public:
    // Lines of `bytes` (which must outlive the reader).
    explicit LineReader(std::string_view bytes);
    // Lines of an open file, read in pieces through the table's read step.
    LineReader(std::FILE* file, const FileOps& ops);

    // The next line into `line`; false at the end and when the file cannot be read (then
    // error() says why: kUtf16Text or the system's reason).
    bool next(Line& line);
    const std::string& error() const { return error_; }
    // Number of the last line read (0 before the first).
    int lineNumber() const { return number_; }
    // False when the last line had no line end.
    bool lastLineEnded() const { return lastLineEnded_; }

private:
    bool fill();       // more bytes into the piece; false at the end or on an error
    bool start();      // the byte-order mark and the encoding, once

    std::string_view rest_;           // bytes not yet taken
    std::FILE* file_ = nullptr;
    const FileOps* ops_ = nullptr;
    std::vector<char> piece_;
    bool started_ = false, ended_ = false;
    bool pendingCr_ = false;          // the last piece ended in CR: an LF next belongs to it
    bool lastLineEnded_ = true;
    int number_ = 0;
    std::string error_;
};

// The tags whose first line a File keeps: Cabrillo 3.0's and the legacy CATEGORY.
inline constexpr std::array<std::string_view, 32> kKnownTags{{
    "START-OF-LOG", "END-OF-LOG", "CALLSIGN", "CONTEST", "CATEGORY-ASSISTED", "CATEGORY-BAND",
    "CATEGORY-MODE", "CATEGORY-OPERATOR", "CATEGORY-POWER", "CATEGORY-STATION", "CATEGORY-TIME",
    "CATEGORY-TRANSMITTER", "CATEGORY-OVERLAY", "CERTIFICATE", "CLAIMED-SCORE", "CLUB",
    "CREATED-BY", "EMAIL", "GRID-LOCATOR", "LOCATION", "NAME", "ADDRESS", "ADDRESS-CITY",
    "ADDRESS-STATE-PROVINCE", "ADDRESS-POSTALCODE", "ADDRESS-COUNTRY", "OPERATORS", "OFFTIME",
    "SOAPBOX", "QSO", "X-QSO", "CATEGORY",
}};

// What a reading keeps of a file: the first line of each known tag (kKnownTags but QSO) and
// every QSO line, in file order. Memory in proportion to the QSO lines, whatever else the
// file holds.
struct File {
    std::vector<Line> headers;  // the first line of each known tag, in file order
    std::vector<Line> qsos;     // every QSO line (Line::isQso), in file order
    int lastLine = 0;           // number of the last line (0 for an empty file)
    bool lastLineEnded = true;  // false when the last line has no line end

    // The first line whose tag equals `tag` (case-insensitively; a known tag), or nullptr.
    const Line* findTag(std::string_view tag) const;
    int lastLineNumber() const { return lastLine; }
    // Hands `line` (the next of the file) to the File: kept when it is the first of a known
    // tag or a QSO line.
    void take(Line&& line);
};

// Reads every line of `bytes`, keeping what File keeps. nullopt (and the reason) only for
// UTF-16 text. `each` (if any) sees every line first, so that one pass serves a reader of
// the whole file too (velmor check's rules).
std::optional<File> readCabrillo(std::string_view bytes, std::string* reason = nullptr,
                                 const std::function<void(const Line&)>& each = {});

// Reads `path` ("-" is standard input) line by line through `ops` and hands each line to
// `each`. False with the reason when the file cannot be opened or read or is UTF-16 (a
// FIFO, a device or a folder is refused by the table's open step). `lastLine` and
// `lastLineEnded` (when given) describe the file's end.
bool forEachLine(const std::string& path, const FileOps& ops, const std::function<void(Line&&)>& each,
                 std::string& reason, int* lastLine = nullptr, bool* lastLineEnded = nullptr);

// Reads `path` as above, keeping what File keeps. nullopt when the file cannot be read;
// then `reason` (if given) says why.
std::optional<File> readCabrilloFile(const std::string& path, std::string* reason = nullptr,
                                     const FileOps& ops = StdioFileOps());

}  // namespace velmor::cabrillo_reader
