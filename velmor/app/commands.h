// The subcommands of velmor. Each adds itself to the command line; when the user chooses
// it, `run` is set to the function that does the work and returns the exit status.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

#include "crosscheck/crosscheck_run.h"

namespace velmor::cli {

// Exit statuses of score, cabrillo and body.
enum RunStatus { kDone = 0, kLeftOut = 1, kUsage = 2, kIoFailure = 3 };

void addScoreCommand(CLI::App& app, std::function<int()>& run);
void addCabrilloCommand(CLI::App& app, std::function<int()>& run);
void addBodyCommand(CLI::App& app, std::function<int()>& run);
void addCheckCommand(CLI::App& app, std::function<int()>& run);
// velmor robot serve / export (robot_command.cpp; on Windows it only says it is Linux-only).
void addRobotCommand(CLI::App& app, std::function<int()>& run);
// The robot's database as a source of logs for crosscheck --db (nullptr on Windows).
crosscheck::LogSource robotLogSource();

}  // namespace velmor::cli
