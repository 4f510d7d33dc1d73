// velmor: score, check and convert a Velmor contest log outside the logging program.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "console.h"
#include "console_window.h"
#include "velmor_version.h"
#ifdef _WIN32
#include "win32_files.h"
#endif

namespace {

using namespace velmor::cli;

// The program with its arguments in UTF-8 (the encoding of every name inside).
int run(int argc, char** argv, bool ownWindow) {
    // Named "velmor" in its usage line, not by the path it was started with (on Windows the
    // whole "C:\...\velmor.exe").
    CLI::App app{"velmor " VELMOR_VERSION ": score, check and convert a Velmor contest log outside the logging program.",
                 "velmor"};
    app.set_version_flag("--version", "velmor " VELMOR_VERSION);
    app.require_subcommand(1);
    // "/work/log.cbr" is a file, not an option: no "/option" spelling on Windows either
    // (set before the subcommands, which take it over).
    app.allow_windows_style_options(false);
    Run work;
    for (const Subcommand& subcommand : kSubcommands) subcommand.setUp(*app.add_subcommand(subcommand.name), work);
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
    const int status = work ? work() : kExitUsage;
    // Output that never reached standard output is a failure, whatever the work's status.
    if (!finishStdout()) return kExitFileError;
    return status;
}

// No exception leaves the program: each ends as a message and status 3 (a log too large for
// the machine's memory among them), never as an abort without outputs.
int guarded(int argc, char** argv, bool ownWindow) {
    try {
        return run(argc, argv, ownWindow);
    } catch (const std::bad_alloc&) {
        // Written without allocating: the memory may still be short.
        std::fputs("velmor: error: out of memory: the input is too large for this machine's memory\n", stderr);
    } catch (const std::exception& e) {
        report(std::string("velmor: error: ") + e.what());
    } catch (...) {
        report("velmor: error: an unexpected failure");
    }
    std::fflush(stderr);
    return kExitFileError;
}

// Started by a double-click, the console window is the program's own and would close with
// it: it stays open until Enter, whatever the run did.
int start(int argc, char** argv) {
    prepareStreams();
    const bool ownWindow = ownsConsoleWindow();
    const int status = guarded(argc, argv, ownWindow);
    if (ownWindow) waitForEnter();
    return status;
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments as UTF-16 (wmain, linked with -municode): every name works
// whatever the console's code page, and becomes UTF-8 for the rest of the program.
int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(velmor::win32::fromWide(wargv[i], CP_UTF8));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return start(argc, argv.data());
}
#else
int main(int argc, char** argv) { return start(argc, argv); }
#endif
