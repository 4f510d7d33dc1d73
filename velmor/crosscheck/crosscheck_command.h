// The "crosscheck" subcommand of velmor: registration on the command line.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

#include "crosscheck/crosscheck_run.h"

namespace velmor::crosscheck {

// Adds "crosscheck" to `app`. When the user chooses it, `run` is set to the function that
// does the work and returns the process's exit status. `readDb` reads --db (the robot's
// database); without it --db says it is not available in this build.
void addCommand(CLI::App& app, std::function<int()>& run, LogSource readDb = nullptr);

}  // namespace velmor::crosscheck
