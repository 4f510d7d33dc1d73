// The "crosscheck" subcommand of velmor: registration on the command line.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

#include "services/file_ops.h"

namespace velmor::crosscheck {

// Adds "crosscheck" to `app`. When the user chooses it, `run` is set to the function that
// does the work, with every file through `files`, and returns the process's exit status.
void addCommand(CLI::App& app, std::function<int()>& run, const FileOps& files);

}  // namespace velmor::crosscheck
