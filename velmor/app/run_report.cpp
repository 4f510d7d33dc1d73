// The end of a score, cabrillo or body run: what check would reject, the summary, the file written.
#include "run_report.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"
#include "commands.h"
#include "console.h"
#include "host_session/run_summary.h"

namespace velmor::cli {
namespace {

// The written QSO lines, by line number: the input QSO each came from. The plug-in writes
// one per kept QSO, in order, right before END-OF-LOG (the body holds them alone). A line
// that is not the QSO's own text (a value with a line break in it splits a line) maps no QSO.
std::map<int, std::size_t> qsoOfLine(const cabrillo_reader::File& file, const LogInput& in, const SessionOutput& out,
                                     int firstQsoLine) {
    std::map<int, const std::string*> qsoText;  // the file's QSO lines by number
    for (const cabrillo_reader::Line& l : file.qsos) qsoText[l.number] = &l.text;
    std::map<int, std::size_t> map;
    std::size_t k = 0;
    for (std::size_t i = 0; i < in.qsos.size() && k < out.qsoLines.size(); ++i) {
        if (!out.stored[i]) continue;
        const int line = firstQsoLine + static_cast<int>(k);
        const std::string& text = out.qsoLines[k++];
        const auto written = qsoText.find(line);
        if (written != qsoText.end() && *written->second + "\r\n" == text) map[line] = i;
    }
    return map;
}

std::string displayName(const std::string& name) { return name == "-" ? "standard output" : name; }

// What velmor check finds in the written file.
struct CheckErrors {
    int errors = 0;
    std::size_t qsoLines = 0;  // QSO lines with an error: the committee counts none of them
};

// Warnings for every error velmor check finds in the written file.
CheckErrors reportCheckErrors(const std::string& path, const LogInput& in, const SessionOutput& out, const WrittenFile& w) {
    // The body is checked inside a header and an end of its own, which take no line of it.
    const std::string bytes = w.qsoLinesOnly ? "START-OF-LOG: 3.0\r\n" + *w.bytes + "END-OF-LOG:\r\n" : *w.bytes;
    const int shift = w.qsoLinesOnly ? 1 : 0;
    // Our own output (never UTF-16, so always read), with velmor check's rules in the same pass.
    check::CabrilloChecker checker;
    const cabrillo_reader::File file =
        cabrillo_reader::readCabrillo(bytes, nullptr, [&checker](const cabrillo_reader::Line& line) { checker.add(line); })
            .value_or(cabrillo_reader::File{});
    const int firstQsoLine = file.lastLineNumber() - static_cast<int>(out.qsoLines.size());
    const std::map<int, std::size_t> qsos = qsoOfLine(file, in, out, firstQsoLine);
    std::map<std::size_t, std::vector<std::string>> contestReasons;  // by QSO
    for (const CommitteeFault& c : committeeFaults(in.qsos, out))
        for (const qso_line::Fault& f : c.faults) contestReasons[c.index].push_back(f.reason);

    const std::string name = displayName(w.name);
    int errors = 0;
    // Said in the order of the written lines; a QSO's contest faults in one warning. Every
    // text from the log (a finding quotes its fields) in the terminal's UTF-8, as the names.
    std::map<int, std::vector<std::string>> warnings;
    std::map<int, std::string> committee;  // by line: the QSO's reasons, joined
    for (const check::Finding& f : checker.finish(file.lastLineNumber())) {
        if (f.severity != check::Finding::Severity::Error) continue;
        ++errors;
        const auto qso = qsos.find(f.line);
        if (qso != qsos.end()) {
            const auto& reasons = contestReasons[qso->second];
            if (std::find(reasons.begin(), reasons.end(), f.message) != reasons.end()) {
                std::string& joined = committee[f.line];
                joined += (joined.empty() ? "" : "; ") + f.message;
                continue;
            }
        }
        std::string from;
        if (qso != qsos.end()) from = " (" + path + " " + sourceName(in, in.qsos[qso->second].source) + ")";
        warnings[f.line].push_back(name + ":" + std::to_string(f.line - shift) +
                                   ": warning: velmor check will call this an error: " + toTerminal(f.message) + from);
    }
    for (const auto& [line, reasons] : committee) {
        const LogQso& q = in.qsos[qsos.at(line)];
        std::string what = q.fields.call;
        for (const std::string* part : {&q.fields.band, &q.fields.mode})
            if (!part->empty()) what += " " + *part;
        std::vector<std::string>& said = warnings[line];
        said.insert(said.begin(), path + ":" + sourceName(in, q.source) + ": warning: " + toTerminal(what) + ": " +
                                      toTerminal(reasons) + "; written as " + name + ":" +
                                      std::to_string(line - shift) + ", which the committee will not count");
    }
    std::set<int> qsoLines;
    for (const auto& [line, said] : warnings) {
        for (const std::string& warning : said) report(warning);
        if (qsos.count(line)) qsoLines.insert(line);
    }
    return {errors, qsoLines.size()};
}

}  // namespace

int reportRun(const std::string& path, const LogInput& in, const SessionOutput& out, const WrittenFile* written) {
    const CheckErrors check = written ? reportCheckErrors(path, in, out, *written) : CheckErrors{};
    RunSummary summary = summarize(!in.cabrillo, in.entries, in.notRead, in.qsos, out);
    // A line the robot cannot read counts no more than one outside the contest's rules.
    summary.notCounted = std::max(summary.notCounted, check.qsoLines);
    report(path + ": " + toTerminal(summary.text()));  // names the log's own modes
    if (written)
        report("written: " + displayName(written->name) + " (" + std::to_string(out.qsoLines.size()) +
               (out.qsoLines.size() == 1 ? " QSO line" : " QSO lines") + ", claimed score " +
               std::to_string(out.score) + ")");
    return in.errors > 0 || check.errors > 0 || !summary.complete() ? kExitLeftOut : kExitDone;
}

}  // namespace velmor::cli
