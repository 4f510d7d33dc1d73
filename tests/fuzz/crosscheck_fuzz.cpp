// Fuzz target: several logs through the cross-check engine and every writer (CSV files, reports, the results page).
// The input is a settings byte (tolerance, period) and then the logs, separated by lines
// "#LOG". Invariants: every QSO line of every counted log has exactly one verdict; every
// report has a plain file name of its own that stays in reports/ and the page links only
// those; every CSV row has its columns and no cell starts a formula; no report, page or
// message carries a raw control byte.
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cabrillo_reader/cabrillo_reader.h"
#include "crosscheck/contest.h"
#include "crosscheck/writers.h"
#include "fuzz_input.h"
#include "services/file_name.h"
#include "services/shown_text.h"
#include "services/text.h"

namespace {

using namespace velmor;
using namespace velmor::crosscheck;

// The rows of a CSV text, each split into its cells (quotes as the writers write them).
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
            continue;
        }
        any = true;
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(cell);
            cell.clear();
        } else if (c == '\n') {
            row.push_back(cell);
            rows.push_back(row);
            row.clear();
            cell.clear();
            any = false;
        } else {
            cell += c;
        }
    }
    FUZZ_CHECK(!quoted && !any);  // every row ends in LF
    return rows;
}

void checkCsv(const std::string& text, std::size_t columns) {
    const auto rows = parseCsv(text);
    FUZZ_CHECK(!rows.empty());
    for (const auto& row : rows) {
        FUZZ_CHECK(row.size() == columns);
        for (const std::string& cell : row) FUZZ_CHECK(!shown::looksLikeFormula(cell));
    }
}

bool hasRawControl(std::string_view text) {
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\t') || u == 0x7F) return true;
    }
    return false;
}

// QSO lines of one log's text, counted by the reader alone.
std::size_t qsoLines(std::string_view bytes) {
    cabrillo_reader::LineReader reader(bytes);
    cabrillo_reader::Line line;
    std::size_t n = 0;
    while (reader.next(line)) n += line.isQso();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t settings = data[0];
    const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<std::string_view> logs;
    for (std::size_t from = 0;;) {
        const std::size_t sep = all.find("#LOG\n", from);
        logs.push_back(all.substr(from, sep == std::string_view::npos ? std::string_view::npos : sep - from));
        if (sep == std::string_view::npos || logs.size() == 32) break;
        from = sep + 5;
    }

    Options options;
    options.toleranceMinutes = settings & 7;
    if (settings & 8) {
        options.periodStart = minutesSinceEpoch({2026, 5, 16, 12, 0, 0});
        options.periodEnd = *options.periodStart + 240;
    }
    Contest contest(options);
    std::vector<std::size_t> lines;  // QSO lines per log added, in engine order
    for (std::size_t i = 0; i < logs.size(); ++i)
        if (contest.addBytes("log" + std::to_string(i) + ".cbr", logs[i])) lines.push_back(qsoLines(logs[i]));
    contest.run();
    const Engine& e = contest.engine;

    // One verdict for every QSO line of every counted log.
    std::size_t expectedRows = 0;
    for (std::uint32_t log = 0; log < e.logCount(); ++log) {
        const auto [first, last] = e.qsoRange(log);
        FUZZ_CHECK(last - first == lines[log]);
        if (e.supersededBy(log)) continue;
        expectedRows += lines[log];
        for (std::uint32_t i = first; i < last; ++i) {
            const Engine::QsoResult r = e.qso(i);
            FUZZ_CHECK(r.log == log && r.verdict != Verdict::Pending && !verdictName(r.verdict).empty());
        }
    }

    std::ostringstream verdicts, results, skipped;
    writeVerdictsCsv(contest, verdicts);
    writeResultsCsv(contest, results);
    writeSkippedCsv(contest.skipped(), skipped);
    checkCsv(verdicts.str(), 10);
    checkCsv(results.str(), 16);
    checkCsv(skipped.str(), 2);
    FUZZ_CHECK(parseCsv(verdicts.str()).size() == expectedRows + 1);
    FUZZ_CHECK(parseCsv(results.str()).size() == e.countedLogsByCall().size() + 1);

    // Reports: plain names of their own, so that each stays in reports/.
    const std::vector<std::string> names = reportFileNames(contest);
    std::set<std::string> taken;
    for (std::uint32_t log : e.countedLogsByCall()) {
        const std::string& name = names[log];
        FUZZ_CHECK(isPlainFileName(name) && name.size() <= kLongestCallFileName);
        FUZZ_CHECK(name.find_first_of("/\\") == std::string::npos && name != "." && name != "..");
        FUZZ_CHECK(taken.insert(text::lowerCase(name)).second);
        std::ostringstream report;
        writeReport(contest, log, report);
        FUZZ_CHECK(!hasRawControl(report.str()));
    }
    std::ostringstream page;
    writeResultsHtml(contest, names, page);
    const std::string html = page.str();
    FUZZ_CHECK(!hasRawControl(html));
    for (std::size_t at = html.find("href=\""); at != std::string::npos; at = html.find("href=\"", at + 1)) {
        const std::size_t end = html.find('"', at + 6);
        const std::string target = html.substr(at + 6, end - at - 6);
        if (target == "#verdicts") continue;  // the legend, on the page itself
        FUZZ_CHECK(target.rfind("reports/", 0) == 0 && taken.count(text::lowerCase(target.substr(8))) == 1);
    }
    for (const SkippedFile& s : contest.skipped()) FUZZ_CHECK(!s.reason.empty());
    return 0;
}
