// Reading a Cabrillo file: numbered lines and tag lines with their values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/file_ops.h"

namespace velmor::cabrillo_reader {

// QSO lines are read by the one QSO-line module (cabrillo/qso_line.h: qso_line::read on a
// line's text), which the plug-in's writer, the checks and the cross-check share.

// One line of the file, its line end removed.
struct Line {
    int number = 0;                   // from 1
    std::string text;                 // bytes of the line without CR LF / LF
    std::string tag;                  // text before the first ':' when it is a tag
                                      // (letters, digits and '-', at least one), else empty
    std::string value;                // text after that ':' without blanks at either end

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
// lines) and each line into tag and value. Never fails.
File readCabrillo(std::string_view bytes);

// Reads `path` ("-" is standard input) whole, through ReadWholeFile on `ops`, and splits
// it. nullopt when the file cannot be read; then `reason` (if given) says why.
std::optional<File> readCabrilloFile(const std::string& path, std::string* reason = nullptr,
                                     const FileOps& ops = StdioFileOps());

}  // namespace velmor::cabrillo_reader
