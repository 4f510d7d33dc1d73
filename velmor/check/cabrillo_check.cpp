#include "cabrillo_check.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

#include "checks/exchange_check.h"
#include "log/contest_bands.h"
#include "log/qso_log.h"
#include "host_session/plugin_session.h"

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

std::string upperCase(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool hasLowerCase(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::vector<Finding> checkCabrillo(const cr::File& file) {
    std::vector<Finding> out;
    auto error = [&](int line, std::string m) { out.push_back({line, Finding::Severity::Error, std::move(m)}); };
    auto warning = [&](int line, std::string m) { out.push_back({line, Finding::Severity::Warning, std::move(m)}); };

    const cr::Line* claimedLine = nullptr;
    std::vector<QsoFields> scored;
    double previousTime = 0.0;
    int previousLine = 0;
    int firstPmLine = 0;
    int pmLines = 0;
    int qsoErrors = 0;  // QSO lines that are not contest QSOs: the score would be off anyway
    // First line of each (call, band, mode, clock hour).
    std::unordered_map<std::string, int> firstInHour;

    for (const cr::Line& line : file.lines) {
        if (line.text.find_first_not_of(" \t") == std::string::npos) continue;
        if (!line.isTag()) {
            error(line.number, "not a Cabrillo line (no TAG: at its start)");
            continue;
        }
        const std::string tag = upperCase(line.tag);
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
        if (tag == "CATEGORY-BAND" && hasLowerCase(line.value))
            warning(line.number, "band " + quoted(line.value) + " in lower case; Cabrillo 3.0 writes " +
                                     quoted(upperCase(line.value)));
        if (tag != "QSO") continue;

        const cr::QsoParse parsed = cr::parseQso(line);
        if (!parsed.ok()) {
            ++qsoErrors;
            error(line.number, parsed.fault.reason);
            continue;
        }
        const cr::Qso& q = *parsed.qso;
        bool contestQso = true;
        const int band = rules::contestBandIndex(q.freqKHz);
        if (band < 0) {
            error(line.number, "frequency " + std::to_string(q.freqKHz) + " kHz is outside the contest bands");
            contestQso = false;
        }
        if (IsValidExchange(q.exchangeReceived) == 0) {
            error(line.number, "exchange received " + quoted(q.exchangeReceived) +
                                   " is not a Velmor exchange (three digits above 000 other than 599, or WM)");
            contestQso = false;
        }
        if (q.modeLabel == "PM" && pmLines++ == 0) firstPmLine = line.number;

        const double when = q.automationDate();
        if (previousLine != 0 && when < previousTime)
            warning(line.number, "QSO at " + q.dateText() + " " + q.timeText() + " is earlier than line " +
                                     std::to_string(previousLine));
        previousTime = when;
        previousLine = line.number;
        if (!contestQso) {
            ++qsoErrors;
            continue;
        }

        const std::string bandName(rules::kContestBands[static_cast<std::size_t>(band)].name);
        const std::int64_t hour = clockHourKey(CalendarTime{q.year, q.month, q.day, q.hour, q.minute, 0});
        const std::string key = q.call + '\n' + bandName + '\n' + q.hostMode + '\n' + std::to_string(hour);
        const auto [it, first] = firstInHour.emplace(key, line.number);
        if (!first)
            warning(line.number, "repeat of " + q.call + " on " + bandName + " " + q.hostMode +
                                     " within the clock hour (line " + std::to_string(it->second) + ")");
        scored.push_back(cli::hostFields(q, bandName));
    }
    if (pmLines > 0)
        warning(firstPmLine, "mode label \"PM\" (BPSK63) is the contest's, not Cabrillo 3.0's (DG); " +
                                 std::to_string(pmLines) + " QSO line(s) use it");

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
