// The cross-check's outputs, streamed: CSV files, entrants' reports, the results page.
#include "crosscheck/writers.h"

#include <algorithm>
#include <tuple>

#include "services/file_name.h"
#include "services/shown_text.h"
#include "services/text.h"

namespace velmor::crosscheck {
namespace {

using qso_line::Field;

std::uint32_t count(const LogSummary& s, Verdict v) { return s.byVerdict[static_cast<int>(v)]; }

void appendCsv(std::string& row, std::string_view value) { shown::appendCsvCell(row, value); }

void appendHtml(std::string& out, std::string_view text) { shown::appendHtml(out, text); }

std::string categoryLabel(std::string_view category) {
    return category.empty() ? std::string("(no category)") : std::string(category);
}

// Counts of one log in the results order of columns, after call and category.
// A verdict's column is headed by the verdict's name and explained by its meaning.
struct Column {
    const char* csv;
    const char* title;
    Verdict verdict;  // Pending: not a verdict's column
};
constexpr Column kCountColumns[] = {
    {"lines", "Lines", Verdict::Pending},
    {"counted", "Counted", Verdict::Pending},
    {"ok", "OK", Verdict::Ok},
    {"bad_exch", "BAD-EXCH", Verdict::BadExch},
    {"dupe", "DUPE", Verdict::Dupe},
    {"busted", "BUSTED", Verdict::Busted},
    {"nil", "NIL", Verdict::Nil},
    {"unique", "UNIQUE", Verdict::Unique},
    {"unverified", "UNVERIFIED", Verdict::Unverified},
    {"invalid", "INVALID", Verdict::Invalid},
    {"out_of_period", "OUT-OF-PERIOD", Verdict::OutOfPeriod},
};

// How the score is made from the verdicts, for the report and the page.
constexpr const char* kScoring =
    "OK, UNIQUE and UNVERIFIED count: one point each, and five points more once per band for each station "
    "that sent WM.";

std::vector<std::uint32_t> countValues(const LogSummary& s) {
    return {s.lines,
            s.counted,
            count(s, Verdict::Ok),
            count(s, Verdict::BadExch),
            count(s, Verdict::Dupe),
            count(s, Verdict::Busted),
            count(s, Verdict::Nil),
            count(s, Verdict::Unique),
            count(s, Verdict::Unverified),
            count(s, Verdict::Invalid),
            count(s, Verdict::OutOfPeriod)};
}

}  // namespace

std::string shownField(const LineFields& fields, qso_line::Field field) {
    return field == Field::Call ? text::upperCase(fields[field]) : std::string(fields[field]);
}

std::string verdictDetail(const Contest& contest, std::uint32_t index) {
    const Engine::QsoResult r = contest.engine.qso(index);
    switch (r.verdict) {
        case Verdict::Invalid:
        case Verdict::OutOfPeriod: return std::string(r.reason);
        case Verdict::Dupe: return std::to_string(contest.engine.qso(*r.partner).line);
        case Verdict::BadExch: return std::string(contest.fields(*r.partner)[qso_line::Field::ExchangeSent]);
        case Verdict::Busted: return std::string(contest.engine.logCall(contest.engine.qso(*r.partner).log));
        default: return {};
    }
}

std::vector<std::uint32_t> resultsOrder(const Contest& contest) {
    const Engine& e = contest.engine;
    std::vector<std::uint32_t> order = e.countedLogsByCall();
    std::stable_sort(order.begin(), order.end(), [&e](std::uint32_t a, std::uint32_t b) {
        return std::make_tuple(e.logCategory(a), e.summary(a).place) <
               std::make_tuple(e.logCategory(b), e.summary(b).place);
    });
    return order;
}

std::string errorRate(const LogSummary& s) {
    const std::uint32_t removed = s.lines - s.counted;
    // Tenths of a percent, rounded half up, in integers so every platform prints the same.
    const std::uint64_t tenths = s.lines ? (std::uint64_t{removed} * 2000 + s.lines) / (2 * std::uint64_t{s.lines}) : 0;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::vector<std::string> reportFileNames(const Contest& contest, std::size_t longest) {
    const Engine& e = contest.engine;
    std::vector<std::string> calls;
    for (std::uint32_t log : e.countedLogsByCall()) calls.emplace_back(e.logCall(log));
    const std::vector<std::string> names = callFileNames(calls, ".txt", longest);
    std::vector<std::string> out(e.logCount());
    for (std::size_t k = 0; k < names.size(); ++k) out[e.countedLogsByCall()[k]] = names[k];
    return out;
}

void writeVerdictsCsv(const Contest& contest, std::ostream& out) {
    const Engine& e = contest.engine;
    out << kVerdictsHeader;
    std::string row;
    for (std::uint32_t log : e.countedLogsByCall()) {
        const auto [first, last] = e.qsoRange(log);
        for (std::uint32_t i = first; i < last; ++i) {
            const Engine::QsoResult r = e.qso(i);
            const LineFields f = contest.fields(i);
            row.clear();
            appendCsv(row, e.logCall(log));
            row += ',';
            row += std::to_string(r.line);
            for (qso_line::Field k : kVerdictLineFields) {
                row += ',';
                appendCsv(row, shownField(f, k));
            }
            row += ',';
            row += verdictName(r.verdict);
            row += ',';
            appendCsv(row, verdictDetail(contest, i));
            row += '\n';
            out.write(row.data(), static_cast<std::streamsize>(row.size()));
        }
    }
}

void writeResultsCsv(const Contest& contest, std::ostream& out) {
    const Engine& e = contest.engine;
    out << kResultsHeader;
    std::string row;
    for (std::uint32_t log : resultsOrder(contest)) {
        const LogSummary& s = e.summary(log);
        row.clear();
        appendCsv(row, e.logCall(log));
        row += ',';
        appendCsv(row, e.logCategory(log));
        row += ',';
        appendCsv(row, contest.claimed(log));
        for (std::uint32_t v : countValues(s)) {
            row += ',';
            row += std::to_string(v);
        }
        row += ',';
        row += std::to_string(s.score);
        row += ',';
        row += std::to_string(s.place);
        row += '\n';
        out << row;
    }
}

void writeSkippedCsv(const std::vector<SkippedFile>& skipped, std::ostream& out) {
    out << kSkippedHeader;
    std::string row;
    for (const SkippedFile& f : skipped) {
        row.clear();
        appendCsv(row, f.file);
        row += ',';
        appendCsv(row, f.reason);
        row += '\n';
        out << row;
    }
}

void writeReport(const Contest& contest, std::uint32_t log, std::ostream& out) {
    const Engine& e = contest.engine;
    const LogSummary& s = e.summary(log);
    // Every value from a log goes through the terminal's escaping: a report is read with
    // `cat` and `less` as often as in an editor.
    const auto v = [](std::string_view text) { return shown::visible(text); };
    out << "Velmor contest: cross-check report for " << v(e.logCall(log)) << "\n\n";
    out << "Log file:      " << v(e.logFileName(log)) << "\n";
    out << "Category:      " << v(categoryLabel(e.logCategory(log))) << "\n";
    out << "Claimed score: " << (contest.claimed(log).empty() ? std::string("-") : v(contest.claimed(log))) << "\n";
    out << "Final score:   " << s.score << " (place " << s.place << " in the category)\n";
    out << "QSO lines:     " << s.lines << ", of which " << s.counted << " count (OK " << count(s, Verdict::Ok)
        << ", UNIQUE " << count(s, Verdict::Unique) << ", UNVERIFIED " << count(s, Verdict::Unverified) << ")\n";
    out << "Removed:       BAD-EXCH " << count(s, Verdict::BadExch) << ", DUPE " << count(s, Verdict::Dupe)
        << ", BUSTED " << count(s, Verdict::Busted) << ", NIL " << count(s, Verdict::Nil) << ", INVALID "
        << count(s, Verdict::Invalid) << ", OUT-OF-PERIOD " << count(s, Verdict::OutOfPeriod) << "\n";
    out << "Error rate:    " << errorRate(s) << " % of the QSO lines do not count\n";

    const auto [first, last] = e.qsoRange(log);
    bool any = false;
    for (std::uint32_t i = first; i < last; ++i) {
        const Engine::QsoResult r = e.qso(i);
        if (verdictCounts(r.verdict) && r.verdict != Verdict::Unique) continue;
        if (!any) out << "\nQSOs that do not count, and unique QSOs:\n";
        any = true;
        const LineFields f = contest.fields(i);
        const std::string call = v(text::upperCase(f[Field::Call]));
        out << "\nline " << r.line << ": " << verdictName(r.verdict);
        std::string_view evidenceLabel;
        switch (r.verdict) {
            case Verdict::Invalid:
            case Verdict::OutOfPeriod: out << " - " << v(r.reason); break;
            case Verdict::Dupe:
                out << " - " << call << " already worked on this band and mode in this hour, on line "
                    << e.qso(*r.partner).line;
                evidenceLabel = "counts";
                break;
            case Verdict::BadExch:
                out << " - you logged " << v(f[Field::ExchangeReceived]) << ", " << call << " sent "
                    << v(contest.fields(*r.partner)[Field::ExchangeSent]);
                evidenceLabel = "theirs";
                break;
            case Verdict::Busted:
                out << " - you logged " << call << ", the station worked was " << v(e.logCall(e.qso(*r.partner).log));
                evidenceLabel = "theirs";
                break;
            case Verdict::Nil: out << " - not in the log of " << call; break;
            case Verdict::Unique: out << " - " << call << " sent no log and no other log has it (counts)"; break;
            default: break;
        }
        out << "\n  yours:  " << v(contest.lineText(i)) << "\n";
        if (r.partner) {
            const Engine::QsoResult p = e.qso(*r.partner);
            out << "  " << evidenceLabel << ": " << v(e.logCall(p.log)) << " line " << p.line << ": "
                << v(contest.lineText(*r.partner)) << "\n";
        }
    }
    if (!any) out << "\nEvery QSO counts and none is unique.\n";

    out << "\nWhat the verdicts mean (each QSO line gets one, decided in this order):\n";
    for (Verdict verdict : kVerdictsInOrder)
        out << "  " << verdictName(verdict) << ": " << verdictMeaning(verdict, e.options().toleranceMinutes) << "\n";
    out << kScoring << "\n";
}

void writeResultsHtml(const Contest& contest, const std::vector<std::string>& reportNames, std::ostream& out) {
    const Engine& e = contest.engine;
    const std::vector<std::uint32_t> order = resultsOrder(contest);
    std::uint64_t lines = 0;
    for (std::uint32_t log : order) lines += e.summary(log).lines;

    std::string h;
    h += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<title>Velmor contest results</title>\n<style>\n"
         "body{font-family:sans-serif;font-size:14px;margin:1.5em;color:#222}\n"
         "table.results{border-collapse:collapse;margin:0.5em 0 1em 0}\n"
         "table.results th,table.results td{border:1px solid #bbb;padding:2px 5px;text-align:right;font-size:13px}\n"
         "table.results td.call,table.results th.call{text-align:left}\n"
         "table.results th{background:#e8eef4;cursor:pointer;user-select:none}\n"
         "table.results th[aria-sort=ascending]::after{content:\" \\25B2\"}\n"
         "table.results th[aria-sort=descending]::after{content:\" \\25BC\"}\n"
         "svg.chart text{font-size:12px;font-family:sans-serif}\n"
         "svg.chart rect{fill:#4a7ab0}\n"
         "table.legend{border-collapse:collapse;max-width:60em}\n"
         "table.legend th,table.legend td{border:1px solid #bbb;padding:3px 6px;text-align:left;vertical-align:top;"
         "font-size:13px}\n"
         "table.legend th{white-space:nowrap;background:#e8eef4}\n"
         "</style>\n</head>\n<body>\n<h1>Velmor contest results</h1>\n<p>";
    h += std::to_string(order.size()) + " logs, " + std::to_string(lines) + " QSO lines checked";
    const std::size_t skipped = contest.skipped().size();
    if (skipped) h += "; " + std::to_string(skipped) + " files left out or superseded (see skipped.csv)";
    h += ". Click a column header to sort. Error rate: the share of a log's QSO lines that do not count. "
         "<a href=\"#verdicts\">What the verdicts mean</a> is explained below the tables (and shown when the "
         "pointer rests on a column header).</p>\n";
    out << h;

    std::size_t section = 0;
    for (std::size_t k = 0; k < order.size();) {
        std::size_t end = k;
        while (end < order.size() && e.logCategory(order[end]) == e.logCategory(order[k])) ++end;
        h.clear();
        h += "<section class=\"category\" id=\"category-" + std::to_string(++section) + "\">\n<h2>";
        appendHtml(h, categoryLabel(e.logCategory(order[k])));
        h += "</h2>\n<table class=\"results\">\n<thead><tr><th data-type=\"num\">Place</th>"
             "<th class=\"call\" data-type=\"text\">Call</th><th data-type=\"num\">Score</th>"
             "<th data-type=\"num\">Claimed</th><th data-type=\"num\">Error rate %</th>";
        for (const Column& c : kCountColumns) {
            h += "<th data-type=\"num\"";
            if (c.verdict != Verdict::Pending) {
                h += " title=\"";
                appendHtml(h, verdictMeaning(c.verdict, e.options().toleranceMinutes));
                h += "\"";
            }
            h += std::string(">") + c.title + "</th>";
        }
        h += "</tr></thead>\n<tbody>\n";
        std::int64_t best = 1;
        for (std::size_t j = k; j < end; ++j) {
            const std::uint32_t log = order[j];
            const LogSummary& s = e.summary(log);
            best = std::max(best, s.score);
            h += "<tr><td>" + std::to_string(s.place) + "</td><td class=\"call\"><a href=\"reports/";
            h += reportNames[log];
            h += "\">";
            appendHtml(h, e.logCall(log));
            h += "</a></td><td>" + std::to_string(s.score) + "</td><td>";
            appendHtml(h, contest.claimed(log));
            h += "</td><td>" + errorRate(s) + "</td>";
            for (std::uint32_t v : countValues(s)) h += "<td>" + std::to_string(v) + "</td>";
            h += "</tr>\n";
        }
        h += "</tbody>\n</table>\n";
        // Bar chart of the final scores, in order of place.
        constexpr int kRow = 20, kLabel = 110, kBar = 480;
        const std::size_t n = end - k;
        h += "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kLabel + kBar + 70) +
             "\" height=\"" + std::to_string(n * kRow + 10) + "\" role=\"img\" aria-label=\"Final scores\">\n";
        for (std::size_t j = k; j < end; ++j) {
            const std::uint32_t log = order[j];
            const std::int64_t score = std::max<std::int64_t>(0, e.summary(log).score);
            const int y = static_cast<int>((j - k) * kRow) + 5;
            const int w = static_cast<int>(score * kBar / best);
            h += "<text x=\"0\" y=\"" + std::to_string(y + 13) + "\">";
            appendHtml(h, e.logCall(log));
            h += "</text><rect x=\"" + std::to_string(kLabel) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
                 std::to_string(w) + "\" height=\"" + std::to_string(kRow - 4) + "\"/><text x=\"" +
                 std::to_string(kLabel + w + 4) + "\" y=\"" + std::to_string(y + 13) + "\">" +
                 std::to_string(e.summary(log).score) + "</text>\n";
        }
        h += "</svg>\n</section>\n";
        out << h;
        k = end;
    }

    h.clear();
    h += "<section class=\"legend\" id=\"verdicts\">\n<h2>What the verdicts mean</h2>\n<p>Every QSO line of every "
         "log gets one verdict, decided in this order. ";
    h += kScoring;
    h += " Each entrant's report (a click on the call) lists the QSOs that do not count, with the other log's "
         "line as evidence.</p>\n<table class=\"legend\">\n<tbody>\n";
    for (Verdict v : kVerdictsInOrder) {
        h += "<tr><th>" + std::string(verdictName(v)) + "</th><td>";
        appendHtml(h, verdictMeaning(v, e.options().toleranceMinutes));
        h += "</td></tr>\n";
    }
    h += "</tbody>\n</table>\n</section>\n";
    out << h;

    out << "<script>\n"
           "// Sorting: a click on a header sorts its table by that column; a second click reverses.\n"
           "document.querySelectorAll('table.results').forEach(function (table) {\n"
           "  table.querySelectorAll('thead th').forEach(function (th, column) {\n"
           "    th.addEventListener('click', function () {\n"
           "      var ascending = th.getAttribute('aria-sort') !== 'ascending';\n"
           "      var numeric = th.getAttribute('data-type') === 'num';\n"
           "      var body = table.tBodies[0];\n"
           "      var rows = Array.prototype.slice.call(body.rows);\n"
           "      rows.sort(function (a, b) {\n"
           "        var x = a.cells[column].textContent, y = b.cells[column].textContent;\n"
           "        var d = numeric ? (parseFloat(x) || 0) - (parseFloat(y) || 0) : (x < y ? -1 : x > y ? 1 : 0);\n"
           "        return ascending ? d : -d;\n"
           "      });\n"
           "      rows.forEach(function (row) { body.appendChild(row); });\n"
           "      table.querySelectorAll('thead th').forEach(function (other) { other.removeAttribute('aria-sort'); });\n"
           "      th.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');\n"
           "    });\n"
           "  });\n"
           "});\n"
           "</script>\n</body>\n</html>\n";
}

}  // namespace velmor::crosscheck
