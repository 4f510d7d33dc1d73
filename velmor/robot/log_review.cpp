// The robot's one contact with the contest's rules: velmor check, velmor score and the
// contest-name rule.
#include "robot/log_review.h"

#include <algorithm>
#include <optional>

#include "cabrillo/qso_line.h"
#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"
#include "host_session/plugin_session.h"

namespace velmor::robot {
namespace {

namespace cr = cabrillo_reader;

std::string tagValue(const cr::File& file, std::string_view tag) {
    const cr::Line* line = file.findTag(tag);
    return line ? line->value : std::string();
}

// The score velmor score computes for a Cabrillo log: its QSO lines fed to the plug-in as
// the logging program feeds them.
std::int32_t scoreOf(const cr::File& file, const std::string& call) {
    cli::SessionInput session;
    session.ownCall = call;
    const std::vector<cli::LogQso> qsos = cli::cabrilloQsos(file, session.ownCall);
    return cli::runSession(session, qsos).score;
}

}  // namespace

bool LogReview::refused() const {
    return std::any_of(findings.begin(), findings.end(), [](const ReviewFinding& f) { return f.error; });
}

LogReview reviewLog(std::string_view text, const std::vector<std::string>& otherContests) {
    LogReview review;
    std::string unreadable;
    // One pass: the lines the robot keeps, and velmor check's rules over every line.
    check::CabrilloChecker checker(otherContests);
    const std::optional<cr::File> read =
        cr::readCabrillo(text, &unreadable, [&checker](const cr::Line& line) { checker.add(line); });
    if (!read) {
        review.findings.push_back({1, true, unreadable, {}});
        return review;
    }
    const cr::File& file = *read;
    // velmor check warns of another contest's log; the robot refuses it, with the same words.
    const std::optional<std::string> otherContest = check::otherContest(file, otherContests);
    for (const check::Finding& f : checker.finish(file.lastLineNumber()))
        review.findings.push_back(
            {f.line, f.severity == check::Finding::Severity::Error || f.message == otherContest, f.message, {}});

    const int last = std::max(file.lastLineNumber(), 1);
    const cr::Line* callsign = file.findTag("CALLSIGN");
    if (!callsign)
        review.findings.push_back({last, true, "no CALLSIGN: line; the robot files each log under its call", {}});
    else if (callsign->value.empty())
        review.findings.push_back({callsign->number, true, "CALLSIGN: is empty; the robot files each log under its call", {}});
    std::stable_sort(review.findings.begin(), review.findings.end(),
                     [](const ReviewFinding& a, const ReviewFinding& b) { return a.line < b.line; });
    // The text of each line with a finding, in one more pass over the lines (the reader
    // keeps no others).
    cr::LineReader lines(text);
    cr::Line line;
    std::size_t next = 0;
    while (next < review.findings.size() && lines.next(line)) {
        while (next < review.findings.size() && review.findings[next].line < line.number) ++next;
        for (; next < review.findings.size() && review.findings[next].line == line.number; ++next)
            review.findings[next].lineText = line.text;
    }

    review.call = tagValue(file, "CALLSIGN");
    review.category = tagValue(file, "CATEGORY");
    if (review.category.empty()) {
        for (std::string_view tag : {"CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-MODE"}) {
            const std::string v = tagValue(file, tag);
            if (v.empty()) continue;
            if (!review.category.empty()) review.category += ' ';
            review.category += v;
        }
    }
    review.claimedScore = tagValue(file, "CLAIMED-SCORE");
    review.qsoLines = static_cast<int>(file.qsos.size());
    if (!review.refused()) review.score = scoreOf(file, review.call);
    return review;
}

}  // namespace velmor::robot
