// The robot's pages, as HTML or plain text.
#include "robot/pages.h"

#include "services/shown_text.h"

namespace velmor::robot {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";

constexpr std::string_view kStyle = R"(*{box-sizing:border-box}
body{font-family:system-ui,sans-serif;line-height:1.45;margin:0 auto;max-width:46rem;padding:0 1rem 2rem;color:#1b1b1b;background:#fff}
header{padding:.8rem 0;border-bottom:2px solid #2a5d8f;margin-bottom:1rem}
header a{color:#2a5d8f;font-weight:bold;text-decoration:none;font-size:1.1rem}
h1{font-size:1.4rem;margin:.6rem 0;overflow-wrap:anywhere}
form{display:grid;gap:.5rem;margin:1rem 0;padding:1rem;border:1px solid #c8d3de;border-radius:.4rem;background:#f5f8fb}
label{font-weight:bold}
input,button{font:inherit;padding:.45rem;width:100%;max-width:100%}
button{background:#2a5d8f;color:#fff;border:0;border-radius:.3rem;padding:.6rem 1rem;cursor:pointer;width:auto;justify-self:start}
dl{display:grid;grid-template-columns:max-content minmax(0,1fr);gap:.3rem 1rem}
dt{font-weight:bold}
dd{margin:0;overflow-wrap:anywhere;min-width:0}
.code{font-family:ui-monospace,monospace;font-size:1.1rem;background:#eef4e8;padding:.1rem .3rem;overflow-wrap:anywhere}
.refused{color:#9b1c1c}
.accepted{color:#1f6b2a}
ul.findings{padding-left:1.2rem}
ul.findings li{margin:.5rem 0;overflow-wrap:anywhere}
.error{color:#9b1c1c;font-weight:bold}
.warning{color:#8a5a00;font-weight:bold}
code{font-family:ui-monospace,monospace;font-size:.85rem;white-space:pre-wrap;overflow-wrap:anywhere;background:#f2f2f2;display:block;padding:.2rem .4rem;margin-top:.2rem}
code.inline{display:inline;padding:0 .2rem}
.scroll{overflow-x:auto}
table{border-collapse:collapse;width:100%}
th,td{text-align:left;padding:.3rem .5rem;border-bottom:1px solid #dde3e8;overflow-wrap:anywhere}
td.n{text-align:right}
footer{margin-top:2rem;border-top:1px solid #dde3e8;padding-top:.6rem}
footer a{margin-right:1rem}
@media (max-width:30rem){dl{grid-template-columns:minmax(0,1fr)}dt{margin-top:.4rem}dd{margin-left:.6rem}}
)";

std::string e(std::string_view s) { return shown::html(s); }

std::string document(const std::string& title, const std::string& main) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           e(title) +
           " - Velmor contest</title>\n<link rel=\"stylesheet\" href=\"/style.css\">\n</head>\n<body>\n"
           "<header><a href=\"/\">Velmor contest: log submission</a></header>\n<main>\n<h1>" +
           e(title) + "</h1>\n" + main +
           "</main>\n<footer><a href=\"/\">Send a log</a><a href=\"/logs\">Logs received</a></footer>\n"
           "</body>\n</html>\n";
}

std::string receivedText(const std::string& utc) {
    // "2026-05-20T12:34:56Z" shown as "2026-05-20 12:34:56 UTC".
    if (utc.size() == 20 && utc[10] == 'T' && utc[19] == 'Z') return utc.substr(0, 10) + " " + utc.substr(11, 8) + " UTC";
    return utc;
}

std::string findingsHtml(const std::vector<ReviewFinding>& findings) {
    std::string out = "<ul class=\"findings\">\n";
    for (std::size_t i = 0; i < findings.size() && i < kShownFindings; ++i) {
        const ReviewFinding& f = findings[i];
        out += "<li>line " + std::to_string(f.line) + ": <span class=\"" + (f.error ? "error\">error" : "warning\">warning") +
               "</span>: " + e(f.message);
        if (!f.lineText.empty()) out += "<code>" + e(shown::shortened(f.lineText, kShownLineBytes)) + "</code>";
        out += "</li>\n";
    }
    out += "</ul>\n";
    if (findings.size() > kShownFindings)
        out += "<p>... and " + std::to_string(findings.size() - kShownFindings) + " more.</p>\n";
    return out;
}

std::string findingsText(const std::vector<ReviewFinding>& findings) {
    std::string out;
    for (std::size_t i = 0; i < findings.size() && i < kShownFindings; ++i) {
        const ReviewFinding& f = findings[i];
        out += "line " + std::to_string(f.line) + ": " + (f.error ? "error: " : "warning: ") + f.message + "\n";
        if (!f.lineText.empty()) out += "  " + shown::shortened(f.lineText, kShownLineBytes) + "\n";
    }
    if (findings.size() > kShownFindings) out += "... and " + std::to_string(findings.size() - kShownFindings) + " more\n";
    return out;
}

// Plain text for a terminal: control bytes (ESC...) shown as \xNN, never passed on raw.
std::string plain(const std::string& text) { return shown::visibleLines(text); }

std::vector<ReviewFinding> warningsOf(const Upload& u) {
    std::vector<ReviewFinding> out;
    for (const StoredWarning& w : u.warnings) out.push_back({w.line, false, w.message, w.lineText});
    return out;
}

}  // namespace

std::string sizeText(std::size_t bytes) {
    if (bytes >= 1048576 && bytes % 1048576 == 0) return std::to_string(bytes / 1048576) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string_view styleSheet() { return kStyle; }

Page formPage(const SiteInfo& site) {
    std::string main;
    if (site.closed) {
        main = "<p class=\"refused\">The deadline, " + e(site.deadline) +
               ", has passed: logs are no longer taken.</p>\n";
        return {200, kHtml, document("Send your log", main)};
    }
    std::string names = "Velmor";
    for (const std::string& n : site.otherContests) names += " or " + e(n);
    main = "<p class=\"rules\">" +
           (site.deadline.empty() ? std::string() : "Logs are taken until " + e(site.deadline) + ". ") +
           "Send one Cabrillo 3.0 file per station, as the plug-in or <code class=\"inline\">velmor cabrillo</code> "
           "wrote it, of at most " +
           sizeText(site.maxBytes) +
           ". It is checked at once with the contest's rules, those of velmor check: START-OF-LOG:, CALLSIGN: "
           "and END-OF-LOG: lines, a CONTEST: line (if any) naming " +
           names +
           ", and QSO: lines with a valid date and time, a frequency in the contest bands and a Velmor "
           "exchange received. A log with errors is refused with the list of them and nothing is kept: "
           "correct it and send it again. An accepted log gets a receipt; a later log from the same call "
           "replaces the earlier one.</p>\n"
           "<form method=\"post\" action=\"/upload\" enctype=\"multipart/form-data\">\n"
           "<label for=\"log\">Cabrillo log</label>\n"
           "<input type=\"file\" id=\"log\" name=\"log\" required>\n"
           "<label for=\"email\">E-mail (optional, for the committee's questions)</label>\n"
           "<input type=\"email\" id=\"email\" name=\"email\" maxlength=\"254\" autocomplete=\"email\">\n"
           "<button type=\"submit\">Send the log</button>\n"
           "</form>\n";
    return {200, kHtml, document("Send your log", main)};
}

Page receiptPage(const Upload& u, bool fresh, Format format) {
    const std::vector<ReviewFinding> warnings = warningsOf(u);
    const std::string more = u.warningCount > static_cast<int>(u.warnings.size())
                                 ? " (the first " + std::to_string(u.warnings.size()) + " are kept)"
                                 : std::string();
    if (format == Format::Text) {
        std::string t = std::string(fresh ? "Log received" : "Receipt") + "\n" + "receipt: " + u.receipt + "\n" +
                        "call: " + u.call + "\n" + "category: " + u.category + "\n" +
                        "QSO lines: " + std::to_string(u.qsoLines) + "\n" + "claimed score: " + u.claimedScore +
                        "\n" + "score: " + std::to_string(u.score) + "\n" + "received: " + receivedText(u.receivedUtc) +
                        "\n" + "size: " + std::to_string(u.size) + " bytes\n" + "sha256: " + u.sha256 + "\n" +
                        "warnings: " + std::to_string(u.warningCount) + more + "\n" + findingsText(warnings);
        return {200, kText, plain(t)};
    }
    std::string main = std::string("<p class=\"accepted\">") +
                       (fresh ? "Your log is received and kept. Keep the receipt code: it shows this page again."
                              : "This log was received and is kept.") +
                       "</p>\n<dl>\n"
                       "<dt>Receipt</dt><dd><a class=\"code\" id=\"receipt\" href=\"/receipt/" +
                       e(u.receipt) + "\">" + e(u.receipt) + "</a></dd>\n" +
                       "<dt>Call</dt><dd id=\"call\">" + e(u.call) + "</dd>\n" +
                       "<dt>Category</dt><dd id=\"category\">" + e(u.category) + "</dd>\n" +
                       "<dt>QSO lines</dt><dd id=\"qso-lines\">" + std::to_string(u.qsoLines) + "</dd>\n" +
                       "<dt>Claimed score</dt><dd id=\"claimed\">" + e(u.claimedScore) + "</dd>\n" +
                       "<dt>Score (velmor score)</dt><dd id=\"score\">" + std::to_string(u.score) + "</dd>\n" +
                       "<dt>Received</dt><dd id=\"received\">" + e(receivedText(u.receivedUtc)) + "</dd>\n" +
                       "<dt>File</dt><dd>" + std::to_string(u.size) + " bytes, SHA-256 " + e(u.sha256) + "</dd>\n" +
                       "<dt>Warnings</dt><dd id=\"warnings\">" + std::to_string(u.warningCount) + e(more) + "</dd>\n" +
                       "</dl>\n";
    if (!warnings.empty())
        main += "<p>The warnings do not stop the log; they are worth a look for next time:</p>\n" +
                findingsHtml(warnings);
    main += "<p>A later log from " + e(u.call) + " replaces this one. The list of logs received is at <a href=\"/logs\">/logs</a>.</p>\n";
    return {200, kHtml, document(fresh ? "Log received" : "Receipt " + u.receipt, main)};
}

Page rejectionPage(const std::vector<ReviewFinding>& findings, Format format) {
    std::size_t errors = 0;
    for (const ReviewFinding& f : findings) errors += f.error;
    const std::string summary = "Log refused: " + std::to_string(errors) + (errors == 1 ? " error" : " errors") +
                                "; nothing was kept. Correct the file and send it again.";
    if (format == Format::Text) return {422, kText, plain(summary + "\n" + findingsText(findings))};
    return {422, kHtml,
            document("Log refused", "<p class=\"refused\" id=\"reason\">" + e(summary) + "</p>\n" + findingsHtml(findings))};
}

Page errorPage(int status, const std::string& reason, Format format) {
    if (format == Format::Text) return {status, kText, plain("error: " + reason + "\n")};
    return {status, kHtml,
            document("Not accepted", "<p class=\"refused\" id=\"reason\">" + e(reason) + "</p>\n")};
}

Page logsPage(const std::vector<EntrantSummary>& entrants, Format format) {
    if (format == Format::Text) {
        std::string t = "call\tcategory\tQSO lines\tlatest upload\tuploads\n";
        for (const EntrantSummary& s : entrants)
            t += s.call + "\t" + s.category + "\t" + std::to_string(s.qsoLines) + "\t" + receivedText(s.receivedUtc) +
                 "\t" + std::to_string(s.uploads) + "\n";
        return {200, kText, plain(t)};
    }
    std::string main = "<p>" + std::to_string(entrants.size()) +
                       (entrants.size() == 1 ? " station has" : " stations have") +
                       " sent a log. Each row shows the latest log of the call.</p>\n";
    if (!entrants.empty()) {
        main += "<div class=\"scroll\"><table id=\"logs\">\n<thead><tr><th>Call</th><th>Category</th><th>QSO lines</th>"
                "<th>Latest upload</th><th>Uploads</th></tr></thead>\n<tbody>\n";
        for (const EntrantSummary& s : entrants)
            main += "<tr><td>" + e(s.call) + "</td><td>" + e(s.category) + "</td><td class=\"n\">" +
                    std::to_string(s.qsoLines) + "</td><td>" + e(receivedText(s.receivedUtc)) + "</td><td class=\"n\">" +
                    std::to_string(s.uploads) + "</td></tr>\n";
        main += "</tbody>\n</table></div>\n";
    }
    return {200, kHtml, document("Logs received", main)};
}

}  // namespace velmor::robot
