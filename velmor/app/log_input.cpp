// Reading the log a subcommand works on: ADIF or Cabrillo, as the host's QSO fields.
#include "log_input.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "adif/adif_reader.h"
#include "cabrillo/qso_line.h"
#include "cabrillo_reader/cabrillo_reader.h"
#include "console.h"
#include "services/text.h"

namespace velmor::cli {
namespace {

void readAdif(const std::string& path, const std::string& text, const std::string& callOption, LogInput& out) {
    const adif::Document doc = adif::parse(text);
    std::vector<adif::Problem> problems = doc.problems;
    // The own call of the session: --call, else the first record that names one.
    out.ownCall = callOption;
    for (const adif::Record& r : doc.records) {
        if (!out.ownCall.empty()) break;
        out.ownCall = r.get("STATION_CALLSIGN");
        if (out.ownCall.empty()) out.ownCall = r.get("OPERATOR");
    }
    std::vector<adif::HostQso> qsos = adif::toHostQsos(doc, out.ownCall, problems);
    out.entries = doc.records.size();
    out.notRead = doc.records.size() - qsos.size();
    const std::size_t usualReports = adif::fillUsualReports(qsos);
    for (adif::HostQso& h : qsos) out.qsos.push_back({h.record, std::move(h.fields)});
    std::stable_sort(problems.begin(), problems.end(),
                     [](const adif::Problem& a, const adif::Problem& b) { return a.record < b.record; });
    for (const adif::Problem& p : problems) {
        const bool error = p.severity == adif::Problem::Severity::Error;
        // Errors of the reader leave out a field, those of the conversion a whole record.
        if (error) ++out.errors;
        std::string where = path + ":record " + std::to_string(p.record);
        if (p.record == 0) where = path + ":header";
        // The message quotes the log (code page 1251): in the terminal's UTF-8, as the name.
        report(where + " (byte " + std::to_string(p.offset) + "): " + (error ? "error: " : "warning: ") +
               toTerminal((p.field.empty() ? "" : p.field + ": ") + p.message));
    }
    // Said once: a log without reports is common, and the usual report is what was given.
    if (usualReports > 0)
        report(path + ": warning: RST_SENT or RST_RCVD missing in " + std::to_string(usualReports) +
               (usualReports == 1 ? " record" : " records") +
               ": the mode's usual report used (599 for CW and BPSK63, 59 for SSB)");
    if (doc.records.empty())
        report(path + ": warning: no ADIF records in the file");
}

void readCabrilloLog(const std::string& path, const cabrillo_reader::File& file, const std::string& callOption,
                     LogInput& out) {
    out.cabrillo = true;
    out.ownCall = callOption;
    if (out.ownCall.empty())
        if (const cabrillo_reader::Line* callsign = file.findTag("CALLSIGN")) out.ownCall = callsign->value;
    if (!file.findTag("START-OF-LOG"))
        report(path + ": warning: no START-OF-LOG line: not a Cabrillo log (an ADIF log is read when its name "
                      "ends in .adi or .adif)");
    out.entries = file.qsos.size();
    out.qsos = cabrilloQsos(file, out.ownCall, [&](const cabrillo_reader::Line& line, const qso_line::Fault& fault) {
        ++out.errors;
        ++out.notRead;
        report(path + ":" + std::to_string(line.number) + ": error: " + toTerminal(fault.reason) + "; QSO left out");
    });
}

}  // namespace

bool readLog(const std::string& path, const std::string& callOption, LogInput& out) {
    std::string text;
    if (path == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        text = all.str();
    } else {
        std::string reason;
        if (!readWholeFile(path, text, reason)) {
            report(path + ": error: cannot read: " + reason);
            return false;
        }
    }
    // Neither reader takes UTF-16; both take a UTF-8 byte-order mark.
    if (cabrillo_reader::looksUtf16(text)) {
        report(path + ": error: cannot read: " + std::string(cabrillo_reader::kUtf16Text));
        return false;
    }
    const std::string_view body = cabrillo_reader::withoutByteOrderMark(text);
    bool cabrillo = !(text::endsWithNoCase(path, ".adi") || text::endsWithNoCase(path, ".adif"));
    if (path == "-") cabrillo = body.find_first_not_of(" \t\r\n") != std::string::npos &&
                                body.compare(body.find_first_not_of(" \t\r\n"), 12, "START-OF-LOG") == 0;
    if (cabrillo) {
        std::string reason;
        const std::optional<cabrillo_reader::File> file = cabrillo_reader::readCabrillo(text, &reason);
        if (!file) {
            report(path + ": error: cannot read: " + reason);
            return false;
        }
        readCabrilloLog(path, *file, callOption, out);
    } else {
        readAdif(path, text, callOption, out);
    }
    return true;
}

std::string sourceName(const LogInput& in, int source) {
    return (in.cabrillo ? "line " : "record ") + std::to_string(source);
}

}  // namespace velmor::cli
