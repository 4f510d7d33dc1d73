// Reading the entrants' Cabrillo files into the engine through the Cabrillo reader.
#include "crosscheck/contest.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cabrillo_reader/cabrillo_reader.h"
#include "services/file_ops.h"

namespace velmor::crosscheck {
namespace {

namespace fs = std::filesystem;
namespace cr = cabrillo_reader;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string tagValue(const cr::File& file, std::string_view tag) {
    const cr::Line* line = file.findTag(tag);
    return line ? line->value : std::string();
}

std::optional<std::string> readWholeFile(const std::string& path, std::string& reason) {
    std::error_code ec;
    if (fs::is_directory(fs::u8path(path), ec)) {
        reason = "a folder, not a file";
        return std::nullopt;
    }
    return ReadWholeFile(StdioFileOps(), path, reason);
}

}  // namespace

LineFields splitQsoLine(std::string_view line) {
    LineFields out{};
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return out;
    std::size_t i = colon + 1, n = 0;
    while (n < out.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        out[n++] = line.substr(start, i - start);
    }
    return out;
}

std::vector<std::string> expandLogArgument(const std::string& arg) {
    std::error_code ec;
    if (!fs::is_directory(fs::u8path(arg), ec)) return {arg};
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::u8path(arg), ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string ext = lower(entry.path().extension().u8string());
        // Joined with '/', which Windows accepts too, so that every platform names the files
        // alike in the outputs.
        if (ext == ".cbr" || ext == ".log") {
            const bool sep = !arg.empty() && (arg.back() == '/' || arg.back() == '\\');
            files.push_back(arg + (sep ? "" : "/") + entry.path().filename().u8string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Contest::addFile(const std::string& fileName, std::string_view bytes, std::string& reason) {
    const cr::File file = cr::readCabrillo(bytes);
    if (!file.findTag("START-OF-LOG")) {
        reason = "no START-OF-LOG line: not a Cabrillo log";
        return false;
    }
    const std::string call = tagValue(file, "CALLSIGN");
    if (call.empty()) {
        reason = "no CALLSIGN";
        return false;
    }
    std::string category = tagValue(file, "CATEGORY");
    if (category.empty()) {
        for (std::string_view tag : {"CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-MODE"}) {
            const std::string v = tagValue(file, tag);
            if (v.empty()) continue;
            if (!category.empty()) category += ' ';
            category += v;
        }
    }

    engine.addLog(call, category, fileName);
    claimed_.push_back(tagValue(file, "CLAIMED-SCORE"));
    order_.push_back(files_++);
    std::string& text = texts_.emplace_back();
    text.reserve(bytes.size());
    for (const cr::Line& line : file.lines) {
        if (!line.isQso()) continue;
        QsoInput in;
        in.line = static_cast<std::uint32_t>(line.number);
        in.cookie = static_cast<std::uint32_t>(text.size());
        text += line.text;
        text += '\n';
        const cr::QsoParse parsed = cr::parseQso(line);
        std::string fault;
        if (!parsed.ok()) {
            fault = parsed.fault.reason.empty() ? std::string("malformed line") : parsed.fault.reason;
        } else {
            const cr::Qso& q = *parsed.qso;
            const auto mode = modeOfLabel(q.modeLabel);
            if (!mode) {
                fault = "mode label " + q.modeLabel + " not CW, PH or PM";
            } else {
                in.freqKHz = q.freqKHz;
                in.mode = *mode;
                in.minute = minutesSinceEpoch(q.year, q.month, q.day, q.hour, q.minute);
                in.call = q.call;
                in.exchSent = q.exchangeSent;
                in.exchRcvd = q.exchangeReceived;
            }
        }
        in.fault = fault;
        engine.addQso(in);
    }
    return true;
}

bool Contest::addPath(const std::string& path) {
    std::string reason;
    bool ok = false;
    if (auto bytes = readWholeFile(path, reason)) ok = addFile(path, *bytes, reason);
    if (!ok) unreadable_.push_back({files_++, SkippedFile{path, reason}});
    return ok;
}

bool Contest::addBytes(const std::string& name, std::string_view bytes) {
    std::string reason;
    const bool ok = addFile(name, bytes, reason);
    if (!ok) unreadable_.push_back({files_++, SkippedFile{name, reason}});
    return ok;
}

std::string_view Contest::lineText(std::uint32_t index) const {
    const Engine::QsoResult r = engine.qso(index);
    std::string_view text = texts_[r.log];
    text.remove_prefix(r.cookie);
    return text.substr(0, text.find('\n'));
}

LineFields Contest::fields(std::uint32_t index) const { return splitQsoLine(lineText(index)); }

std::vector<SkippedFile> Contest::skipped() const {
    std::vector<std::pair<std::uint32_t, SkippedFile>> all = unreadable_;
    for (std::uint32_t log = 0; log < engine.logCount(); ++log) {
        if (auto by = engine.supersededBy(log))
            all.push_back({order_[log], SkippedFile{std::string(engine.logFileName(log)),
                                                    "superseded by " + std::string(engine.logFileName(*by))}});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SkippedFile> out;
    for (auto& e : all) out.push_back(std::move(e.second));
    return out;
}

}  // namespace velmor::crosscheck
