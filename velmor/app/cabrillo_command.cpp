// velmor cabrillo and velmor body: the plug-in's Cabrillo file, or its QSO lines alone.
#include <memory>

#include "commands.h"
#include "console.h"
#include "log_input.h"

namespace velmor::cli {
namespace {

struct FileOptions {
    std::string log;
    std::string call;
    std::string details;
    std::string extra;
    std::string output;
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
    }
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

int runCabrillo(const FileOptions& o) {
    const auto result = produce(o);
    if (!result) return kExitFileError;
    const std::string name = o.output.empty() ? result->second.cabrilloName : o.output;
    if (!writeOutput(name, result->second.cabrilloFile)) return kExitFileError;
    return result->first.errors > 0 ? kExitLeftOut : kExitDone;
}

int runBody(const FileOptions& o) {
    const auto result = produce(o);
    if (!result) return kExitFileError;
    std::string body;
    for (const std::string& line : result->second.qsoLines) body += line;
    if (!writeOutput(o.output.empty() ? "tmp.tmp" : o.output, body)) return kExitFileError;
    return result->first.errors > 0 ? kExitLeftOut : kExitDone;
}

}  // namespace

void setUpCabrillo(CLI::App& cmd, Run& run) {
    auto o = std::make_shared<FileOptions>();
    cmd.description(std::string("Write the Cabrillo file exactly as the plug-in's writer does, with the station "
                                "details as the dialog loads them and OK pressed.\n") +
                    kConvertStatusHelp);
    cmd.add_option("LOG", o->log, "ADIF (.adi, .adif) or Cabrillo log; - for standard input")->required();
    cmd.add_option("--call", o->call, "own call, as the logging program passes it")->required();
    cmd.add_option("--details", o->details,
                   "stored station details (the plug-in's VARDO.ini); without it, the dialog's defaults");
    cmd.add_option("--extra", o->extra, "extra header lines (the plug-in's cabrillo.ini), copied unchanged");
    cmd.add_option("-o,--output", o->output, "output file; - for standard output (default: CALL.cbr as the plug-in names it)");
    cmd.callback([o, &run] { run = [o] { return runCabrillo(*o); }; });
}

void setUpBody(CLI::App& cmd, Run& run) {
    auto o = std::make_shared<FileOptions>();
    cmd.description(std::string("Write the QSO lines alone, in the plug-in's format with CR LF: the log body the "
                                "header editor reads.\n") +
                    kConvertStatusHelp);
    cmd.add_option("LOG", o->log, "ADIF (.adi, .adif) or Cabrillo log; - for standard input")->required();
    cmd.add_option("--call", o->call, "own call, as the logging program passes it")->required();
    cmd.add_option("-o,--output", o->output, "output file; - for standard output (default: tmp.tmp)");
    cmd.callback([o, &run] { run = [o] { return runBody(*o); }; });
}

}  // namespace velmor::cli
