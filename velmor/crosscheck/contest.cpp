// Reading the entrants' Cabrillo files into the engine through the Cabrillo reader.
#include "crosscheck/contest.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"
#include "services/calendar_time.h"
#include "services/file_name.h"
#include "services/file_ops.h"
#include "services/shown_text.h"
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

// One file as its lines arrive: the header tags, and each QSO line's text (at most
// kQuotedBytes of an over-long one) in the text the outputs keep. Nothing else is held.
struct Contest::Reading {
    cr::File header;  // the first line of each known tag (no QSO lines)
    std::string text;  // the QSO lines, each ending in '\n'
    struct Qso {
        std::uint32_t line;
        std::uint32_t cookie;      // offset of its text in `text`
        std::size_t tooLong = 0;   // the line's length when over the reader's limit
    };
    std::vector<Qso> qsos;

    void take(cr::Line&& line) {
        if (!line.isQso()) {
            header.take(std::move(line));
            return;
        }
        Qso q{static_cast<std::uint32_t>(line.number), static_cast<std::uint32_t>(text.size()),
              line.tooLong() ? line.length : 0};
        text += q.tooLong ? shown::shortened(line.text, shown::kQuotedBytes) : line.text;
        text += '\n';
        qsos.push_back(q);
    }
};

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
        // Joined with '/', which Windows accepts too, so that every platform names the files
        // alike in the outputs.
        if (isLogFileName(name)) files.push_back(arg + (sep ? "" : "/") + name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Contest::addReading(const std::string& fileName, Reading&& file, std::string& reason) {
    if (!file.header.findTag("START-OF-LOG")) {
        reason = "no START-OF-LOG line: not a Cabrillo log";
        return false;
    }
    if (std::optional<std::string> other = check::otherContest(file.header, otherContests_)) {
        reason = std::move(*other);
        return false;
    }
    // One station, however its log spells its call: compared and shown in upper case.
    const std::string call = text::upperCase(text::trimSpace(tagValue(file.header, "CALLSIGN")));
    if (call.empty()) {
        reason = "no CALLSIGN";
        return false;
    }
    std::string category = tagValue(file.header, "CATEGORY");
    if (category.empty()) {
        for (std::string_view tag : {"CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-MODE"}) {
            const std::string v = tagValue(file.header, tag);
            if (v.empty()) continue;
            if (!category.empty()) category += ' ';
            category += v;
        }
    }

    engine.addLog(call, category, fileName);
    claimed_.push_back(tagValue(file.header, "CLAIMED-SCORE"));
    order_.push_back(files_++);
    std::string& text = texts_.emplace_back(std::move(file.text));
    text.shrink_to_fit();
    std::string workedCall;
    for (const Reading::Qso& rq : file.qsos) {
        QsoInput in;
        in.line = rq.line;
        in.cookie = rq.cookie;
        std::string_view lineText(text);
        lineText = lineText.substr(rq.cookie, lineText.find('\n', rq.cookie) - rq.cookie);
        std::string fault;
        const qso_line::Parse parsed = rq.tooLong ? qso_line::Parse{} : qso_line::read(lineText);
        if (rq.tooLong) {
            fault = cr::lineTooLong("the line", rq.tooLong);
        } else if (!parsed.ok()) {
            fault = parsed.fault.reason.empty() ? std::string("malformed line") : parsed.fault.reason;
        } else {
            const qso_line::Qso& q = *parsed.qso;
            workedCall = text::upperCase(q.call);
            in.freqKHz = q.freqKHz;
            in.mode = q.mode;
            in.minute = q.minute();
            in.call = workedCall;
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
    Reading file;
    bool ok = cr::forEachLine(path, ops, [&file](cr::Line&& line) { file.take(std::move(line)); }, reason);
    if (ok) ok = addReading(path, std::move(file), reason);
    if (!ok) unreadable_.push_back({files_++, SkippedFile{path, reason}});
    return ok;
}

void Contest::addUnreadable(const std::string& path, const std::string& reason) {
    unreadable_.push_back({files_++, SkippedFile{path, reason}});
}

bool Contest::addBytes(const std::string& name, std::string_view bytes) {
    std::string reason;
    Reading file;
    cr::LineReader reader(bytes);
    cr::Line line;
    while (reader.next(line)) file.take(std::move(line));
    reason = reader.error();
    const bool ok = reason.empty() && addReading(name, std::move(file), reason);
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

namespace {

std::string minuteText(std::int64_t minute) {
    const CalendarTime t = calendarOfMinute(minute);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d", t.year % 10000, t.month, t.day, t.hour, t.minute);
    return text;
}

}  // namespace

std::string Contest::supersededReason(std::uint32_t log, std::uint32_t by) const {
    const Engine& e = engine;
    const std::optional<std::int64_t> mine = e.latestDecidingMinute(log), theirs = e.latestDecidingMinute(by);
    std::string why = "superseded by " + std::string(e.logFileName(by)) + ": ";
    const std::string counted = e.hasPeriod() ? "valid QSO inside the period" : "valid QSO";
    if (mine == theirs) {
        why += mine ? "both files' latest " + counted + " is at " + minuteText(*mine)
                    : "neither file has a " + counted;
        why += ", and its name sorts last";
    } else if (!mine) {
        why += "it has a " + counted + " (the latest at " + minuteText(*theirs) + "), this file none";
    } else {
        why += "its latest " + counted + " is at " + minuteText(*theirs) + ", this file's at " + minuteText(*mine);
    }
    if (const std::uint32_t late = e.lateQsosIgnored(log))
        why += " (" + std::to_string(late) + " QSO" + (late == 1 ? "" : "s") +
               " dated more than a day after this file's median QSO date not counted)";
    return why;
}

std::vector<SkippedFile> Contest::skipped() const {
    std::vector<std::pair<std::uint32_t, SkippedFile>> all = unreadable_;
    for (std::uint32_t log = 0; log < engine.logCount(); ++log) {
        if (auto by = engine.supersededBy(log))
            all.push_back({order_[log], SkippedFile{std::string(engine.logFileName(log)), supersededReason(log, *by)}});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SkippedFile> out;
    for (auto& e : all) out.push_back(std::move(e.second));
    return out;
}

}  // namespace velmor::crosscheck
