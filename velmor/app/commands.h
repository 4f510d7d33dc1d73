// The subcommands of velmor. Each adds itself to the command line; when the user chooses
// it, `run` is set to the function that does the work and returns the exit status.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

namespace velmor::cli {

// Exit statuses of score, cabrillo and body.
enum RunStatus { kDone = 0, kLeftOut = 1, kUsage = 2, kIoFailure = 3 };

void addScoreCommand(CLI::App& app, std::function<int()>& run);
void addCabrilloCommand(CLI::App& app, std::function<int()>& run);
void addBodyCommand(CLI::App& app, std::function<int()>& run);
void addCheckCommand(CLI::App& app, std::function<int()>& run);
void addDetailsCommand(CLI::App& app, std::function<int()>& run);

}  // namespace velmor::cli
