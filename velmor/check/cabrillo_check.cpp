// The rules of velmor check: what a robot rejects or misreads in a Cabrillo file, and what it frowns on.
#include "cabrillo_check.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <unordered_map>

#include "cabrillo/qso_line.h"
#include "host_session/plugin_session.h"
#include "log/contest_bands.h"
#include "log/contest_rules.h"
#include "services/shown_text.h"
#include "services/text.h"

namespace velmor::check {
namespace {

namespace cr = cabrillo_reader;

// A value from the file inside a message: as it is when short, else quoted and cut (a tag
// may be 64 KB long).
std::string named(std::string_view s) { return s.size() <= shown::kQuotedBytes ? std::string(s) : shown::quoted(s); }

}  // namespace

std::optional<std::string> otherContest(std::string_view value, const std::vector<std::string>& accepted) {
    const std::string_view name = text::trim(value);
    if (name.empty() || text::equalsNoCase(name, rules::kSetName)) return std::nullopt;
    for (const std::string& other : accepted)
        if (text::equalsNoCase(name, text::trim(other))) return std::nullopt;
    return "CONTEST: " + std::string(name) + " is not this contest";
}

std::optional<std::string> otherContest(const cr::File& file, const std::vector<std::string>& accepted) {
    const cr::Line* line = file.findTag("CONTEST");
    if (line == nullptr) return std::nullopt;
    return otherContest(line->value, accepted);
}

struct CabrilloChecker::State {
    std::vector<std::string> otherContests;
    std::vector<Finding> out;
    std::optional<int> claimedLine;
    std::string claimedValue;
    bool seenContest = false, seenStart = false, seenEnd = false;
    std::vector<QsoFields> scored;
    std::int64_t previousMinute = 0;
    int previousLine = 0;
    // QSO lines per contest label that Cabrillo 3.0 does not know (PM), and the first.
    std::map<const rules::ModeRule*, int> labelLines, firstLabelLine;
    int qsoErrors = 0;  // QSO lines that are not contest QSOs: the score would be off anyway
    // First line of each (call, band, mode, clock hour).
    std::unordered_map<std::string, int> firstInHour;

    void error(int line, std::string m) { out.push_back({line, Finding::Severity::Error, std::move(m)}); }
    void warning(int line, std::string m) { out.push_back({line, Finding::Severity::Warning, std::move(m)}); }
};

CabrilloChecker::CabrilloChecker(std::vector<std::string> otherContests) : state_(std::make_unique<State>()) {
    state_->otherContests = std::move(otherContests);
}

CabrilloChecker::~CabrilloChecker() = default;

void CabrilloChecker::add(const cr::Line& line) {
    State& st = *state_;
    if (line.tooLong() && !line.isQso()) {
        st.error(line.number, cr::lineTooLong("the line", line.length));
        return;
    }
    if (line.blank()) return;
    if (!line.isTag()) {
        st.error(line.number, "not a Cabrillo line (no TAG: at its start)");
        return;
    }
    const std::string tag = text::upperCase(line.tag);
    if (tag == "CATEGORY") {
        st.warning(line.number, "legacy CATEGORY: line; Cabrillo 3.0 uses the CATEGORY-... tags");
        return;
    }
    // Cabrillo 3.0's tags (the reader's list less the legacy CATEGORY, handled above); X- tags
    // are the format's own way to add more.
    const bool known = tag.rfind("X-", 0) == 0 ||
                       std::find(cr::kKnownTags.begin(), cr::kKnownTags.end(), tag) != cr::kKnownTags.end();
    if (!known) {
        st.error(line.number, "unknown tag " + named(line.tag) + ":");
        return;
    }
    if (tag == "START-OF-LOG") st.seenStart = true;
    if (tag == "END-OF-LOG") st.seenEnd = true;
    if (tag == "CLAIMED-SCORE" && !st.claimedLine) {
        st.claimedLine = line.number;
        st.claimedValue = line.value;
    }
    if (tag == "CONTEST" && !st.seenContest) {
        st.seenContest = true;
        if (std::optional<std::string> other = otherContest(line.value, st.otherContests))
            st.warning(line.number, std::move(*other));
    }
    if (tag == "CATEGORY-BAND" && text::hasLowerCase(line.value))
        st.warning(line.number, "band " + shown::quoted(line.value) + " in lower case; Cabrillo 3.0 writes " +
                                    shown::quoted(text::upperCase(line.value)));
    if (tag != "QSO") return;

    const qso_line::Parse parsed = cr::readQso(line);
    if (!parsed.ok()) {
        ++st.qsoErrors;
        st.error(line.number, parsed.fault.reason);
        return;
    }
    const qso_line::Qso& q = *parsed.qso;
    const std::vector<qso_line::Fault> faults = qso_line::contestFaults(q.freqKHz, q.hostMode(), q.exchangeReceived);
    for (const qso_line::Fault& f : faults) st.error(line.number, f.reason);
    if (q.mode->cabrilloLabel != q.mode->cabrillo3Label && st.labelLines[q.mode]++ == 0)
        st.firstLabelLine[q.mode] = line.number;

    // Whole minutes: QSOs logged in the same minute are in order.
    const std::int64_t minute = q.minute();
    if (st.previousLine != 0 && minute < st.previousMinute)
        st.warning(line.number, "QSO at " + q.dateText() + " " + q.timeText() + " is earlier than line " +
                                    std::to_string(st.previousLine));
    st.previousMinute = minute;
    st.previousLine = line.number;
    if (!faults.empty()) {
        ++st.qsoErrors;
        return;
    }

    const std::string bandName(rules::kContestBands[static_cast<std::size_t>(rules::contestBandIndex(q.freqKHz))].name);
    const auto [it, first] =
        st.firstInHour.emplace(qso_line::repeatKey(q.call, bandName, q.hostMode(), minute), line.number);
    if (!first)
        st.warning(line.number, "repeat of " + named(q.call) + " on " + bandName + " " + std::string(q.hostMode()) +
                                    " within the clock hour (line " + std::to_string(it->second) + ")");
    st.scored.push_back(cli::hostFields(q, bandName));
}
std::vector<Finding> CabrilloChecker::finish(int lastLine) {
    State& st = *state_;
    for (const auto& [mode, lines] : st.labelLines)
        st.warning(st.firstLabelLine[mode], "mode label \"" + std::string(mode->cabrilloLabel) + "\" (" +
                                                std::string(mode->hostName) + ") is the contest's, not Cabrillo 3.0's (" +
                                                std::string(mode->cabrillo3Label) + "); " + std::to_string(lines) +
                                                " QSO line(s) use it");

    // With faulty QSO lines the recomputed score says nothing new: those lines are reported.
    if (st.claimedLine && st.qsoErrors == 0) {
        const std::int32_t score = cli::sessionScore(st.scored);
        if (st.claimedValue != std::to_string(score))
            st.warning(*st.claimedLine, "CLAIMED-SCORE " + shown::quoted(st.claimedValue) +
                                            " differs from the score of the QSO lines, " + std::to_string(score));
    }
    const int last = std::max(lastLine, 1);
    if (!st.seenStart) st.error(last, "no START-OF-LOG: line");
    if (!st.seenEnd) st.error(last, "no END-OF-LOG: line");

    std::vector<Finding> out = std::move(st.out);
    std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return out;
}

std::vector<Finding> checkCabrillo(std::string_view bytes, const std::vector<std::string>& otherContests) {
    cr::LineReader reader(bytes);
    CabrilloChecker checker(otherContests);
    cr::Line line;
    while (reader.next(line)) checker.add(line);
    if (!reader.error().empty()) return {{1, Finding::Severity::Error, reader.error()}};
    return checker.finish(reader.lineNumber());
}

std::string formatFinding(const std::string& fileName, const Finding& f, std::string_view message) {
    return fileName + ":" + std::to_string(f.line) + ": " +
           (f.severity == Finding::Severity::Error ? "error: " : "warning: ") + std::string(message);
}

std::string formatFinding(const std::string& fileName, const Finding& f) { return formatFinding(fileName, f, f.message); }

std::optional<Finding::Severity> worstSeverity(const std::vector<Finding>& findings) {
    std::optional<Finding::Severity> worst;
    for (const Finding& f : findings) {
        if (f.severity == Finding::Severity::Error) return f.severity;
        worst = f.severity;
    }
    return worst;
}

}  // namespace velmor::check
