// Cabrillo files as numbered lines, each split into its tag and value.
#include "cabrillo_reader.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include "cabrillo/qso_line.h"
#include "services/text.h"

namespace velmor::cabrillo_reader {
namespace {

Line makeLine(int number, std::string_view bytes) {
    Line line;
    line.number = number;
    line.text = std::string(bytes);
    const std::size_t colon = bytes.find(':');
    if (colon == std::string_view::npos || colon == 0) return line;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = bytes[i];
        if (!text::isDigit(c) && !text::isLetter(c) && c != '-') return line;
    }
    line.tag = std::string(bytes.substr(0, colon));
    line.value = std::string(text::trim(bytes.substr(colon + 1)));
    return line;
}

}  // namespace

bool Line::isQso() const { return text::equalsNoCase(tag, qso_line::kTag); }

const Line* File::findTag(std::string_view wanted) const {
    for (const Line& line : lines)
        if (!line.tag.empty() && text::equalsNoCase(line.tag, wanted)) return &line;
    return nullptr;
}

File readCabrillo(std::string_view bytes) {
    File file;
    std::size_t start = 0;
    int number = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        file.lines.push_back(makeLine(++number, bytes.substr(start, end - start)));
        if (end == bytes.size()) {
            file.lastLineEnded = false;
            break;
        }
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return file;
}

std::optional<File> readCabrilloFile(const std::string& path, std::string* reason, const FileOps& ops) {
    if (path == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        return readCabrillo(all.str());
    }
    std::string why;
    const std::optional<std::string> bytes = ReadWholeFile(ops, path, why);
    if (!bytes) {
        if (reason) *reason = why;
        return std::nullopt;
    }
    return readCabrillo(*bytes);
}

}  // namespace velmor::cabrillo_reader
