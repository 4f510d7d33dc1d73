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
#include "services/text.h"

namespace velmor::check {
namespace {

namespace cr = cabrillo_reader;

// The tags of Cabrillo 3.0 (X- tags are the format's own way to add more).
constexpr std::array<std::string_view, 31> kCabrillo3Tags{{
    "START-OF-LOG", "END-OF-LOG", "CALLSIGN", "CONTEST", "CATEGORY-ASSISTED", "CATEGORY-BAND",
    "CATEGORY-MODE", "CATEGORY-OPERATOR", "CATEGORY-POWER", "CATEGORY-STATION", "CATEGORY-TIME",
    "CATEGORY-TRANSMITTER", "CATEGORY-OVERLAY", "CERTIFICATE", "CLAIMED-SCORE", "CLUB",
    "CREATED-BY", "EMAIL", "GRID-LOCATOR", "LOCATION", "NAME", "ADDRESS", "ADDRESS-CITY",
    "ADDRESS-STATE-PROVINCE", "ADDRESS-POSTALCODE", "ADDRESS-COUNTRY", "OPERATORS", "OFFTIME",
    "SOAPBOX", "QSO", "X-QSO",
}};

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::optional<std::string> otherContest(const cr::File& file, const std::vector<std::string>& accepted) {
    const cr::Line* line = file.findTag("CONTEST");
    if (line == nullptr) return std::nullopt;
    const std::string_view name = text::trim(line->value);
    if (name.empty() || text::equalsNoCase(name, rules::kSetName)) return std::nullopt;
    for (const std::string& other : accepted)
        if (text::equalsNoCase(name, text::trim(other))) return std::nullopt;
    return "CONTEST: " + std::string(name) + " is not this contest";
}

std::vector<Finding> checkCabrillo(const cr::File& file, const std::vector<std::string>& otherContests) {
    std::vector<Finding> out;
    auto error = [&](int line, std::string m) { out.push_back({line, Finding::Severity::Error, std::move(m)}); };
    auto warning = [&](int line, std::string m) { out.push_back({line, Finding::Severity::Warning, std::move(m)}); };

    const cr::Line* claimedLine = nullptr;
    std::vector<QsoFields> scored;
    std::int64_t previousMinute = 0;
    int previousLine = 0;
    // QSO lines per contest label that Cabrillo 3.0 does not know (PM), and the first.
    std::map<const rules::ModeRule*, int> labelLines, firstLabelLine;
    int qsoErrors = 0;  // QSO lines that are not contest QSOs: the score would be off anyway
    // First line of each (call, band, mode, clock hour).
    std::unordered_map<std::string, int> firstInHour;

    for (const cr::Line& line : file.lines) {
        if (line.text.find_first_not_of(" \t") == std::string::npos) continue;
        if (!line.isTag()) {
            error(line.number, "not a Cabrillo line (no TAG: at its start)");
            continue;
        }
        const std::string tag = text::upperCase(line.tag);
        if (tag == "CATEGORY") {
            warning(line.number, "legacy CATEGORY: line; Cabrillo 3.0 uses the CATEGORY-... tags");
            continue;
        }
        const bool known = tag.rfind("X-", 0) == 0 ||
                           std::find(kCabrillo3Tags.begin(), kCabrillo3Tags.end(), tag) != kCabrillo3Tags.end();
        if (!known) {
            error(line.number, "unknown tag " + line.tag + ":");
            continue;
        }
        if (tag == "CLAIMED-SCORE" && !claimedLine) claimedLine = &line;
        if (tag == "CONTEST" && &line == file.findTag("CONTEST"))
            if (std::optional<std::string> other = otherContest(file, otherContests))
                warning(line.number, std::move(*other));
        if (tag == "CATEGORY-BAND" && text::hasLowerCase(line.value))
            warning(line.number, "band " + quoted(line.value) + " in lower case; Cabrillo 3.0 writes " +
                                     quoted(text::upperCase(line.value)));
        if (tag != "QSO") continue;

        const qso_line::Parse parsed = qso_line::read(line.text);
        if (!parsed.ok()) {
            ++qsoErrors;
            error(line.number, parsed.fault.reason);
            continue;
        }
        const qso_line::Qso& q = *parsed.qso;
        const std::vector<qso_line::Fault> faults = qso_line::contestFaults(q.freqKHz, q.hostMode(), q.exchangeReceived);
        for (const qso_line::Fault& f : faults) error(line.number, f.reason);
        if (q.mode->cabrilloLabel != q.mode->cabrillo3Label && labelLines[q.mode]++ == 0)
            firstLabelLine[q.mode] = line.number;

        // Whole minutes: QSOs logged in the same minute are in order.
        const std::int64_t minute = q.minute();
        if (previousLine != 0 && minute < previousMinute)
            warning(line.number, "QSO at " + q.dateText() + " " + q.timeText() + " is earlier than line " +
                                     std::to_string(previousLine));
        previousMinute = minute;
        previousLine = line.number;
        if (!faults.empty()) {
            ++qsoErrors;
            continue;
        }

        const std::string bandName(rules::kContestBands[static_cast<std::size_t>(rules::contestBandIndex(q.freqKHz))].name);
        const auto [it, first] =
            firstInHour.emplace(qso_line::repeatKey(q.call, bandName, q.hostMode(), minute), line.number);
        if (!first)
            warning(line.number, "repeat of " + q.call + " on " + bandName + " " + std::string(q.hostMode()) +
                                     " within the clock hour (line " + std::to_string(it->second) + ")");
        scored.push_back(cli::hostFields(q, bandName));
    }
    for (const auto& [mode, lines] : labelLines)
        warning(firstLabelLine[mode], "mode label " + quoted(std::string(mode->cabrilloLabel)) + " (" +
                                          std::string(mode->hostName) + ") is the contest's, not Cabrillo 3.0's (" +
                                          std::string(mode->cabrillo3Label) + "); " + std::to_string(lines) +
                                          " QSO line(s) use it");

    // With faulty QSO lines the recomputed score says nothing new: those lines are reported.
    if (claimedLine && qsoErrors == 0) {
        const std::int32_t score = cli::sessionScore(scored);
        if (claimedLine->value != std::to_string(score))
            warning(claimedLine->number, "CLAIMED-SCORE " + quoted(claimedLine->value) +
                                             " differs from the score of the QSO lines, " + std::to_string(score));
    }
    const int last = std::max(file.lastLineNumber(), 1);
    if (!file.findTag("START-OF-LOG")) error(last, "no START-OF-LOG: line");
    if (!file.findTag("END-OF-LOG")) error(last, "no END-OF-LOG: line");

    std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return out;
}

std::string formatFinding(const std::string& fileName, const Finding& f) {
    return fileName + ":" + std::to_string(f.line) + ": " +
           (f.severity == Finding::Severity::Error ? "error: " : "warning: ") + f.message;
}

std::optional<Finding::Severity> worstSeverity(const std::vector<Finding>& findings) {
    std::optional<Finding::Severity> worst;
    for (const Finding& f : findings) {
        if (f.severity == Finding::Severity::Error) return f.severity;
        worst = f.severity;
    }
    return worst;
}

}  // namespace velmor::check
