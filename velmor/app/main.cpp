// velmor: score, check and convert a Velmor contest log outside the logging program.
#include <functional>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "console.h"
#include "crosscheck/crosscheck_command.h"
#include "velmor_version.h"

int main(int argc, char** argv) {
    velmor::cli::prepareStreams();
    CLI::App app{"velmor " VELMOR_VERSION ": score, check and convert a Velmor contest log outside the logging program."};
    app.set_version_flag("--version", "velmor " VELMOR_VERSION);
    app.require_subcommand(1);
    // "/work/log.cbr" is a file, not an option: no "/option" spelling on Windows either
    // (set before the subcommands, which take it over).
    app.allow_windows_style_options(false);
    std::function<int()> run;
    velmor::cli::addScoreCommand(app, run);
    velmor::cli::addCabrilloCommand(app, run);
    velmor::cli::addBodyCommand(app, run);
    velmor::cli::addCheckCommand(app, run);
    velmor::crosscheck::addCommand(app, run, velmor::cli::robotLogSource());
    velmor::cli::addRobotCommand(app, run);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end here with status 0; a usage error with 2.
        const int status = app.exit(e);
        return status == 0 ? 0 : velmor::cli::kUsage;
    }
    return run ? run() : velmor::cli::kUsage;
}
