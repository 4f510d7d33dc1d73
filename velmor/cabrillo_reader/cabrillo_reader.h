// Reading a Cabrillo file: numbered lines, tag lines with their values, and QSO lines
// parsed into typed fields with the precise fault when a line cannot be read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/file_ops.h"

namespace velmor::cabrillo_reader {

// A QSO line as the plug-in writes it; the fields are separated by one or more blanks
// (tabs count as blanks), so a reader splits at runs of blanks and expects ten fields:
//
// | field | columns | content                | example      | read as                    |
// |-------|---------|------------------------|--------------|----------------------------|
// |       |  1-4    | "QSO:"                 | QSO:         | the tag                    |
// |   1   |  6-10   | frequency in kHz       | 14025        | digits, 1 to 9             |
// |   2   | 12-13   | mode label             | CW           | CW, PH or PM               |
// |   3   | 15-24   | date                   | 2026-05-16   | YYYY-MM-DD, a real day     |
// |   4   | 26-29   | time (UTC)             | 1203         | HHMM, 0000-2359            |
// |   5   | 31-43   | own call sign          | UA1AAA       | not empty                  |
// |   6   | 45-47   | RST sent               | 599          | not empty                  |
// |   7   | 49-54   | exchange sent          | 001          | not empty                  |
// |   8   | 56-68   | worked call sign       | UA2BBB       | not empty                  |
// |   9   | 70-72   | RST received           | 599          | not empty                  |
// |  10   | 74 on   | exchange received      | 002          | not empty                  |
//
// The columns are those of the plug-in's writer for values that fit; a wider value moves
// the rest right, which is why fields are found by blanks and not by columns. The columns
// serve only to explain a line with a missing field: an empty report leaves its columns
// blank and shifts every later field one place left, so that a robot reads the exchange as
// the call.

// QSO fields in the order they stand on the line.
enum class QsoField {
    Line,  // the line as a whole (wrong number of fields that no single field explains)
    Frequency,
    Mode,
    Date,
    Time,
    OwnCall,
    RstSent,
    ExchangeSent,
    Call,
    RstReceived,
    ExchangeReceived,
};

// Lower-case name of a field for messages: "frequency", "mode", "date", "time",
// "own call", "RST sent", "exchange sent", "call", "RST received", "exchange received";
// "QSO line" for QsoField::Line.
std::string_view fieldName(QsoField field);

// One line of the file, its line end removed.
struct Line {
    int number = 0;                   // from 1
    std::string text;                 // bytes of the line without CR LF / LF
    std::string tag;                  // text before the first ':' when it is a tag
                                      // (letters, digits and '-', at least one), else empty
    std::string value;                // text after that ':' without blanks at either end
    std::vector<std::string> fields;  // QSO lines only: `value` split at runs of blanks

    bool isTag() const { return !tag.empty(); }
    // A tag line whose tag is "QSO" (in any case).
    bool isQso() const;
};

struct File {
    std::vector<Line> lines;  // every line, blank ones included; lines[i].number == i + 1
    bool lastLineEnded = true;  // false when the last line has no line end

    // The first line whose tag equals `tag` (case-insensitively), or nullptr.
    const Line* findTag(std::string_view tag) const;
    // Number of the last line (0 for an empty file).
    int lastLineNumber() const { return static_cast<int>(lines.size()); }
};

// Splits the bytes into lines (CR LF, LF and a lone CR end a line; an empty file has no
// lines) and each line into tag, value and, for QSO lines, fields. Never fails.
File readCabrillo(std::string_view bytes);

// Reads `path` ("-" is standard input) whole, through ReadWholeFile on `ops`, and splits
// it. nullopt when the file cannot be read; then `reason` (if given) says why.
std::optional<File> readCabrilloFile(const std::string& path, std::string* reason = nullptr,
                                     const FileOps& ops = StdioFileOps());

// One QSO line's fields, typed.
struct Qso {
    std::int32_t freqKHz = 0;
    std::string modeLabel;    // "CW", "PH" or "PM", as written (upper case)
    std::string hostMode;     // the host's mode text for the label: "CW", "SSB", "BPSK63"
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0;
    std::string ownCall;
    std::string rstSent;
    std::string exchangeSent;
    std::string call;
    std::string rstReceived;
    std::string exchangeReceived;

    // The host's automation date of the QSO's date and time (UTC).
    double automationDate() const;
    // "YYYY-MM-DD" and "HHMM" as the writer prints them.
    std::string dateText() const;
    std::string timeText() const;
};

// Why a QSO line cannot be read: the field and the reason, e.g. {Date, "impossible date
// 2026-02-31"} or {RstSent, "empty RST sent shifts the columns: ..."}.
struct QsoFault {
    QsoField field = QsoField::Line;
    std::string reason;
};

// Either the typed QSO or the first fault found, checked field by field from the left.
struct QsoParse {
    std::optional<Qso> qso;
    QsoFault fault;  // meaningful only when !qso
    bool ok() const { return qso.has_value(); }
};

// Parses the fields of a QSO line (`line.isQso()`; any other line gives a Line fault).
// The checks are those of the Cabrillo format and the contest's mode labels: frequency
// digits, a mode label CW/PH/PM, a real calendar date ("Invalid DateTime" and an empty date
// are named as such), a time 0000-2359, ten fields. Contest rules on values (bands,
// exchanges) are not applied here.
QsoParse parseQso(const Line& line);

// The mode label's host mode text ("CW" -> "CW", "PH" -> "SSB", "PM" -> "BPSK63", in any
// case); empty for anything else.
std::string_view hostModeOfLabel(std::string_view label);

}  // namespace velmor::cabrillo_reader
