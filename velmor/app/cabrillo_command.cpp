// velmor cabrillo and velmor body: the plug-in's Cabrillo file, or its QSO lines alone.
#include <memory>

#include "cabrillo/station_details.h"
#include "commands.h"
#include "host_session/station_details_file.h"
#include "console.h"
#include "log_input.h"
#include "run_report.h"

namespace velmor::cli {
namespace {

struct FileOptions {
    std::string log;
    std::string call;
    std::string details;
    std::string extra;
    std::string output;
    std::string category;  // as the dialog's list spells it; empty: the dialog's own
};

// The session with the station-details step and the writer. nullopt when an input cannot
// be read (reported).
std::optional<std::pair<LogInput, SessionOutput>> produce(const FileOptions& o) {
    LogInput in;
    if (!readLog(o.log, o.call, in)) return std::nullopt;
    SessionInput session;
    session.ownCall = o.call;
    session.cabrillo = true;
    std::string reason;
    if (!o.details.empty()) {
        std::string bytes;
        if (!readWholeFile(o.details, bytes, reason)) {
            report(o.details + ": error: cannot read: " + reason);
            return std::nullopt;
        }
        session.settingsFile = bytes;
        const std::string used = o.category.empty() ? std::string(stationField(&StationDetails::category)->fixedValue)
                                                    : o.category;
        for (const std::string& warning : stationDetailsWarnings(bytes, used))
            report(o.details + ": warning: " + toTerminal(warning));  // the file's keys and values
    }
    if (!o.category.empty()) session.category = o.category;
    if (!o.extra.empty()) {
        std::string bytes;
        if (!readWholeFile(o.extra, bytes, reason)) {
            report(o.extra + ": error: cannot read: " + reason);
            return std::nullopt;
        }
        session.extraHeader = bytes;
    }
    const bool progress = in.qsos.size() > 50000 && stderrIsTerminal();
    SessionOutput out = runSession(session, in.qsos, progress ? showProgress : nullptr);
    return std::make_pair(std::move(in), std::move(out));
}

// A log without a single contest QSO (another contest's, an empty export) writes nothing:
// the operator's earlier file of that name is worth more than an empty one.
bool nothingToWrite(const FileOptions& o, const std::string& name, const LogInput& in, const SessionOutput& out) {
    if (!out.qsoLines.empty()) return false;
    report(name + ": not written: " + o.log + " holds no contest QSO");
    reportRun(o.log, in, out, nullptr);
    return true;
}

int runCabrillo(const FileOptions& o) {
    const auto result = produce(o);
    if (!result) return kExitFileError;
    const std::string name = o.output.empty() ? result->second.cabrilloName : o.output;
    if (outputIsAnInput(name, {o.log, o.details, o.extra})) return kExitFileError;
    if (nothingToWrite(o, name, result->first, result->second)) return kExitLeftOut;
    if (!writeOutput(name, result->second.cabrilloFile)) return kExitFileError;
    const WrittenFile written{name, &result->second.cabrilloFile, false};
    return reportRun(o.log, result->first, result->second, &written);
}

int runBody(const FileOptions& o) {
    const auto result = produce(o);
    if (!result) return kExitFileError;
    std::string body;
    for (const std::string& line : result->second.qsoLines) body += line;
    const std::string name = o.output.empty() ? "tmp.tmp" : o.output;
    if (outputIsAnInput(name, {o.log})) return kExitFileError;
    if (nothingToWrite(o, name, result->first, result->second)) return kExitLeftOut;
    if (!writeOutput(name, body)) return kExitFileError;
    const WrittenFile written{name, &body, true};
    return reportRun(o.log, result->first, result->second, &written);
}

}  // namespace

void setUpCabrillo(CLI::App& cmd, Run& run) {
    auto o = std::make_shared<FileOptions>();
    cmd.description(std::string("Write the Cabrillo file exactly as the plug-in's writer does, with the station "
                                "details as the dialog loads them and OK pressed.\n") +
                    kAdifFieldsHelp + kConvertStatusHelp);
    cmd.add_option("LOG", o->log, kLogHelp)->required();
    cmd.add_option("--call", o->call, "own call, as the logging program passes it")->required();
    cmd.add_option("--details", o->details,
                   "stored station details (the plug-in's VARDO.ini, or what velmor details wrote); without it, "
                   "the dialog's defaults");
    cmd.add_option("--extra", o->extra, "extra header lines (the plug-in's cabrillo.ini), copied unchanged");
    cmd.add_option("-o,--output", o->output, "output file; - for standard output (default: CALL.cbr as the plug-in names it)");
    cmd.add_option("--category", o->category,
                   "the contest category chosen in the dialog's list (" + categoryList() + "); without it, " +
                       stationField(&StationDetails::category)->fixedValue + " as the dialog opens")
        ->type_name("CATEGORY")
        ->transform(CLI::Validator(
            [](std::string& value) {
                const std::string found = findCategory(value);
                if (found.empty()) return "\"" + value + "\" is not one of the dialog's categories: " + categoryList();
                value = found;
                return std::string();
            },
            ""));
    cmd.callback([o, &run] { run = [o] { return runCabrillo(*o); }; });
}

void setUpBody(CLI::App& cmd, Run& run) {
    auto o = std::make_shared<FileOptions>();
    cmd.description(std::string("Write the QSO lines alone, in the plug-in's format with CR LF: the log body the "
                                "header editor reads.\n") +
                    kAdifFieldsHelp + kConvertStatusHelp);
    cmd.add_option("LOG", o->log, kLogHelp)->required();
    cmd.add_option("--call", o->call, "own call, as the logging program passes it")->required();
    cmd.add_option("-o,--output", o->output, "output file; - for standard output (default: tmp.tmp)");
    cmd.callback([o, &run] { run = [o] { return runBody(*o); }; });
}

}  // namespace velmor::cli
