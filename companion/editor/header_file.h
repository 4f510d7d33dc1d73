// The header editor's submission file: its bytes built from the form's values and the body.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "services/file_ops.h"

namespace orvin {

// The form's values as the operator left them, byte for byte (system code page).
// Multi-line boxes separate their lines with CR LF.
struct HeaderFields {
    std::string callsign;          // Text1
    std::string contest;           // Text2: shown only, never written
    std::string categoryOperator;  // Combo1, the selected item
    std::string categoryBand;      // Combo4, the selected item
    std::string categoryMode;      // Text10
    std::string location;          // Text11
    std::string claimed;           // Text3
    std::string createdBy;         // Text12
    std::string name;              // Text4
    std::string address;           // Text8, multi-line
    std::string club;              // Text6
    std::string operators;         // Text5, multi-line
    std::string soapbox;           // Text9, multi-line
    std::string email;             // Text7
};

// The body file, read from the working directory.
inline constexpr const char kBodyFileName[] = "tmp.tmp";
// What the operator sees when OK could not write the file, whatever the cause.
inline constexpr const char kWriteFailedMessage[] = "Log file not found !!!";

// The file, every line ended by CR LF:
//
//   | line                          | value                                   |
//   |-------------------------------|-----------------------------------------|
//   | START-OF-LOG: 3.0             | fixed                                   |
//   | CONTEST: KALVER-PSK           | fixed (the CONTEST field is not read)   |
//   | CALLSIGN: <v>                 | callsign                                |
//   | CATEGORY-OPERATOR: <v>        | categoryOperator                        |
//   | CATEGORY-BAND: <v>            | categoryBand                            |
//   | CATEGORY-MODE: <v>            | categoryMode                            |
//   | LOCATION: <v>                 | location                                |
//   | CLUB: <v>                     | club                                    |
//   | CREATED-BY: <v>               | createdBy                               |
//   | CLAIMED-SCORE: <v>            | claimed                                 |
//   | EMAIL: <v>                    | email                                   |
//   | NAME: <v>                     | name                                    |
//   | ADDRESS: <line>               | address, one tagged line per box line   |
//   | OPERATORS: <line>             | operators, likewise                     |
//   | SOAPBOX: <line>               | soapbox, likewise                       |
//   | <body line>                   | each line of "tmp.tmp", as read         |
//   | END-OF-LOG:                   | fixed                                   |
//
// Every tag is followed by one blank, also before an empty value.
std::string BuildLogFile(const HeaderFields& fields, const std::string& body);

// A multi-line box's value as tagged header lines ("ADDRESS: a" CR LF "ADDRESS: b" CR LF).
// Every LF ends a line and starts the next with the tag; a CR before it is kept and a bare
// LF gets one, so every line ends in CR LF. An empty value gives the tag alone; a value
// ending in a line break gives the tag alone as its last line.
std::string TaggedLines(const std::string& tag, const std::string& value);

// The body's lines without their line ends: a line ends at LF, a CR just before it is
// dropped; a last line without a line end still counts; an empty body has no lines.
std::vector<std::string> BodyLines(const std::string& body);

// The log file's name: the call sign exactly as typed, then ".cbr".
std::string LogFileName(const std::string& callsign);

// True when `fileName` names a plain file in the working directory on Windows, unchanged:
// no character Windows forbids in names (< > : " / \ | ? * and control characters), no
// reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension), and
// no blank or dot at its end (which Windows would silently drop).
bool IsPlainFileName(const std::string& fileName);

// Files the editor touches, relative to the working directory.
class LogFiles {
public:
    virtual ~LogFiles() = default;
    // The whole content of `name`; nullopt when it cannot be opened or read.
    virtual std::optional<std::string> readFile(const std::string& name) = 0;
    // Writes `bytes` in full to a temporary file beside `name` and only then puts it in
    // place of `name`; on any failure `name` is left as it was and nothing stays open.
    virtual bool replaceFile(const std::string& name, const std::string& bytes) = 0;
};

enum class SaveResult {
    Written,      // the log file was replaced in full
    BadName,      // the call sign cannot name a file in the working directory
    NoBody,       // "tmp.tmp" could not be read
    WriteFailed,  // the log file could not be written or put in place
};

// OK: checks the name, reads the body, then replaces the log file in one step. Any result
// other than Written leaves an earlier log file untouched.
SaveResult SaveLogFile(const HeaderFields& fields, LogFiles& files);

// LogFiles on the portable file helpers, for any platform: the C library's steps by
// default; Orvin.exe hands in the Win32 table, whose final step replaces an existing file
// (rename() does not on Windows).
class StdioLogFiles : public LogFiles {
public:
    explicit StdioLogFiles(const velmor::FileOps& ops = velmor::StdioFileOps()) : ops_(ops) {}
    std::optional<std::string> readFile(const std::string& name) override;
    // velmor::ReplaceFileSafely: "<name>.tmp" first, then moved over `name`.
    bool replaceFile(const std::string& name, const std::string& bytes) override;

private:
    velmor::FileOps ops_;
};

}  // namespace orvin
