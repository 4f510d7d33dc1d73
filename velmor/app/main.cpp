// velmor: score, check and convert a Velmor contest log outside the logging program.
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "console.h"
#include "velmor_version.h"

int main(int argc, char** argv) {
    using namespace velmor::cli;
    prepareStreams();
    CLI::App app{"velmor " VELMOR_VERSION ": score, check and convert a Velmor contest log outside the logging program."};
    app.set_version_flag("--version", "velmor " VELMOR_VERSION);
    app.require_subcommand(1);
    // "/work/log.cbr" is a file, not an option: no "/option" spelling on Windows either
    // (set before the subcommands, which take it over).
    app.allow_windows_style_options(false);
    Run run;
    for (const Subcommand& subcommand : kSubcommands) subcommand.setUp(*app.add_subcommand(subcommand.name), run);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end here with status 0; a usage error with 2. What CLI11 prints
        // for standard output goes through the one checked writer.
        std::ostringstream out;
        const int status = app.exit(e, out, std::cerr);
        if (!writeStdout(out.str()) || !finishStdout()) return kExitFileError;
        return status == 0 ? kExitDone : kExitUsage;
    }
    const int status = run ? run() : kExitUsage;
    // Output that never reached standard output is a failure, whatever the work's status.
    if (!finishStdout()) return kExitFileError;
    return status;
}
