// INI settings store on a FileSystem: parse lines, find section and key, rewrite in place.
#include "cabrillo/ini_file.h"

#include <utility>
#include <vector>

#include "services/text.h"

namespace velmor {

namespace {
std::string trim(const std::string& s) { return std::string(text::trim(s)); }

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        from = end + 1;
    }
    return lines;
}

// "[name]" -> name; false for any other line.
bool sectionName(const std::string& line, std::string& name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const std::size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

bool keyValue(const std::string& line, std::string& key, std::string& value) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || trim(line).front() == ';') return false;  // ';' comments
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

// The section header line and the end of its body (the next header or the end of file).
struct SectionSpan {
    std::size_t header = 0;
    std::size_t end = 0;
    bool found = false;
};

SectionSpan findSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionSpan span;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (!sectionName(lines[i], name)) continue;
        if (span.found) {
            span.end = i;
            return span;
        }
        if (text::equalsNoCase(name, section)) {
            span.found = true;
            span.header = i;
        }
    }
    span.end = lines.size();
    return span;
}
}  // namespace

IniFileSettings::IniFileSettings(FileSystem& files, std::string fileName, std::string section)
    : files_(files), fileName_(std::move(fileName)), section_(std::move(section)) {}

std::string IniFileSettings::read(const std::string& key, const std::string& fallback) {
    const std::optional<std::string> text = files_.readFile(fileName_);
    if (!text) return fallback;
    const std::vector<std::string> lines = splitLines(*text);
    const SectionSpan span = findSection(lines, section_);
    if (!span.found) return fallback;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        std::string k, v;
        if (keyValue(lines[i], k, v) && text::equalsNoCase(k, key)) return v;
    }
    return fallback;
}

std::optional<std::vector<std::string>> IniFileSettings::keys() {
    const std::optional<std::string> text = files_.readFile(fileName_);
    if (!text) return std::nullopt;
    const std::vector<std::string> lines = splitLines(*text);
    const SectionSpan span = findSection(lines, section_);
    if (!span.found) return std::nullopt;
    std::vector<std::string> out;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        std::string k, v;
        if (keyValue(lines[i], k, v)) out.push_back(std::move(k));
    }
    return out;
}

void IniFileSettings::write(const std::string& key, const std::string& value) {
    const std::optional<std::string> text = files_.readFile(fileName_);
    std::vector<std::string> lines = text ? splitLines(*text) : std::vector<std::string>{};
    const std::string entry = key + "=" + value;
    const SectionSpan span = findSection(lines, section_);
    if (!span.found) {
        lines.push_back("[" + section_ + "]");
        lines.push_back(entry);
    } else {
        bool replaced = false;
        std::size_t lastEntry = span.header;
        for (std::size_t i = span.header + 1; i < span.end; ++i) {
            std::string k, v;
            if (!keyValue(lines[i], k, v)) continue;
            lastEntry = i;
            if (text::equalsNoCase(k, key)) {
                lines[i] = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), entry);
    }
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    // Written whole beside it and then put in place, so a failed write never leaves the
    // settings half-written; like the profile functions, a failure is not reported.
    files_.replaceFile(fileName_, out);
}

}  // namespace velmor
