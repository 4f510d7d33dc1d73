// The "crosscheck" subcommand of velmor: registration on the command line.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

namespace velmor::crosscheck {

// Adds "crosscheck" to `app`. When the user chooses it, `run` is set to the function that
// does the work and returns the process's exit status.
void addCommand(CLI::App& app, std::function<int()>& run);

}  // namespace velmor::crosscheck
