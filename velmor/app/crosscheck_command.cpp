// velmor crosscheck: its options and help on the command line; the run itself is velmor/crosscheck's.
#include <iostream>
#include <memory>

#include "commands.h"
#include "console.h"
#include "crosscheck/crosscheck_run.h"
#include "crosscheck/sqlite_writer.h"

namespace velmor::cli {
namespace {

int exitStatusOf(crosscheck::RunOutcome outcome) {
    switch (outcome) {
        case crosscheck::RunOutcome::AllRead: return kExitDone;
        case crosscheck::RunOutcome::FilesLeftOut: return kExitLeftOut;
        case crosscheck::RunOutcome::UsageError: return kExitUsage;
        case crosscheck::RunOutcome::OutputFailed: break;
    }
    return kExitFileError;
}

}  // namespace

void setUpCrosscheck(CLI::App& cmd, Run& run) {
    cmd.description(std::string("Cross-check every entrant's log against the others (the contest committee's check): "
                                "writes verdicts.csv, results.csv, skipped.csv, reports/CALL.txt and results.html into "
                                "OUTDIR. Every log is untrusted: a CSV cell that begins with =, +, -, @, a tab or a "
                                "carriage return gets a leading ' so that no spreadsheet runs it as a formula") +
                    // The SQLite tables only where this build writes them: no help names an
                    // option the build leaves out.
                    (crosscheck::sqliteAvailable() ? " (the --sqlite tables keep the texts as they are)" : "") +
                    "; report names are plain on Windows and Linux; calls are compared without letter case. " +
                    kCrosscheckStatusHelp);
    auto options = std::make_shared<crosscheck::RunOptions>();
    options->files = &fileOps();
    cmd.add_option("LOG", options->logs,
                   "Cabrillo logs, one per entrant; a folder stands for every .cbr and .log file in it");
    options->readDb = robotLogSource();
    // An option this build does not have is left out of its help; given anyway, the run says
    // why it cannot.
    CLI::Option* db = cmd.add_option("--db", options->db,
                                     "The log robot's database (velmor robot serve --db): every entrant's latest "
                                     "log, in place of LOG (or besides it)")
                          ->type_name("FILE");
    if (!options->readDb) db->group("");
    cmd.add_option("-o,--output", options->outDir, "Folder for the outputs (created if missing)")
        ->required()
        ->type_name("OUTDIR");
    cmd.add_option("--tolerance", options->toleranceMinutes,
                   "Largest time difference, in minutes, between the two logs of one QSO (default 5)")
        ->type_name("MINUTES");
    auto period = std::make_shared<std::vector<std::string>>();
    // One option taking two values: its help shows "START END" (as expected(2) it would
    // read "START END x 2").
    cmd.add_option("--period", *period,
                   "Contest period in UTC, e.g. 2026-05-16T12:00 2026-05-16T16:00: START is inside it, "
                   "END the first minute after it; QSOs outside are OUT-OF-PERIOD")
        ->type_size(2)
        ->expected(1)
        ->type_name("START END");
    cmd.add_option("--contest", options->otherContests,
                   "A contest whose logs are taken besides Velmor, as their CONTEST: line names it (repeatable); "
                   "a log naming any other is left out, in skipped.csv")
        ->allow_extra_args(false)  // one name each time: "--contest X logs" leaves "logs" a LOG
        ->type_name("NAME");
    CLI::Option* sqlite =
        cmd.add_option("--sqlite", options->sqlitePath,
                       "Also write the verdicts, results and skipped files as tables of an SQLite database")
            ->type_name("FILE");
    if (!crosscheck::sqliteAvailable()) sqlite->group("");
    cmd.callback([&run, options, period] {
        if (options->logs.empty() && options->db.empty()) throw CLI::RequiredError("LOG or --db");
        if (period->size() == 2) {
            options->periodStart = (*period)[0];
            options->periodEnd = (*period)[1];
        }
        run = [options] { return exitStatusOf(crosscheck::runCrosscheck(*options, std::cerr)); };
    });
}

}  // namespace velmor::cli
