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
#include "check/cabrillo_check.h"
#include "services/file_ops.h"
#include "services/text.h"

namespace velmor::crosscheck {
namespace {

namespace fs = std::filesystem;
namespace cr = cabrillo_reader;

std::string tagValue(const cr::File& file, std::string_view tag) {
    const cr::Line* line = file.findTag(tag);
    return line ? line->value : std::string();
}

}  // namespace

std::vector<std::string> expandLogArgument(const std::string& arg, const FileOps& ops, std::string& folderError) {
    std::error_code ec;
    if (!fs::is_directory(fs::u8path(arg), ec)) return {arg};
    std::vector<std::string> names;
    if (!ops.list(arg, names, folderError)) {
        if (folderError.empty()) folderError = "cannot read the folder";
        return {};
    }
    std::vector<std::string> files;
    const bool sep = !arg.empty() && (arg.back() == '/' || arg.back() == '\\');
    for (const std::string& name : names) {
        const std::string ext = text::lowerCase(fs::u8path(name).extension().u8string());
        // Joined with '/', which Windows accepts too, so that every platform names the files
        // alike in the outputs.
        if (ext == ".cbr" || ext == ".log") files.push_back(arg + (sep ? "" : "/") + name);
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
    if (std::optional<std::string> other = check::otherContest(file, otherContests_)) {
        reason = std::move(*other);
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
        const qso_line::Parse parsed = qso_line::read(line.text);
        std::string fault;
        if (!parsed.ok()) {
            fault = parsed.fault.reason.empty() ? std::string("malformed line") : parsed.fault.reason;
        } else {
            const qso_line::Qso& q = *parsed.qso;
            in.freqKHz = q.freqKHz;
            in.mode = q.mode;
            in.minute = q.minute();
            in.call = q.call;
            in.exchSent = q.exchangeSent;
            in.exchRcvd = q.exchangeReceived;
        }
        in.fault = fault;
        engine.addQso(in);
    }
    return true;
}

bool Contest::addPath(const std::string& path, const FileOps& ops) {
    std::string reason;
    bool ok = false;
    if (auto bytes = ReadWholeFile(ops, path, reason)) ok = addFile(path, *bytes, reason);
    if (!ok) unreadable_.push_back({files_++, SkippedFile{path, reason}});
    return ok;
}

void Contest::addUnreadable(const std::string& path, const std::string& reason) {
    unreadable_.push_back({files_++, SkippedFile{path, reason}});
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

LineFields Contest::fields(std::uint32_t index) const { return qso_line::split(lineText(index)); }

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
