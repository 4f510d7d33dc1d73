// velmor: score, check and convert a Velmor contest log outside the logging program.
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "console.h"
#include "console_window.h"
#include "velmor_version.h"

namespace {

int runVelmor(int argc, char** argv, bool ownWindow) {
    using namespace velmor::cli;
    // Named "velmor" in its usage line, not by the path it was started with (on Windows the
    // whole "C:\...\velmor.exe").
    CLI::App app{"velmor " VELMOR_VERSION ": score, check and convert a Velmor contest log outside the logging program.",
                 "velmor"};
    app.set_version_flag("--version", "velmor " VELMOR_VERSION);
    app.require_subcommand(1);
    // "/work/log.cbr" is a file, not an option: no "/option" spelling on Windows either
    // (set before the subcommands, which take it over).
    app.allow_windows_style_options(false);
    Run run;
    for (const Subcommand& subcommand : kSubcommands) subcommand.setUp(*app.add_subcommand(subcommand.name), run);
    // A double-click gives no arguments: the usage and how velmor is meant to be started.
    if (ownWindow && argc <= 1) {
        if (!writeStdout(app.help() + "\n" + kDoubleClickHint + "\n") || !finishStdout()) return kExitFileError;
        return kExitUsage;
    }
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

}  // namespace

int main(int argc, char** argv) {
    velmor::cli::prepareStreams();
    // Started by a double-click, the console window is the program's own and would close
    // with it: it stays open until Enter, whatever the run did.
    const bool ownWindow = velmor::cli::ownsConsoleWindow();
    const int status = runVelmor(argc, argv, ownWindow);
    if (ownWindow) velmor::cli::waitForEnter();
    return status;
}
