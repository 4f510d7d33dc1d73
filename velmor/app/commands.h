// The subcommands of velmor in one table: main puts each on the command line and runs the one chosen.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

#include "crosscheck/crosscheck_run.h"
#include "exit_status.h"

namespace velmor::cli {

// Every subcommand, in the order --help lists them: its name and the function (in
// <name>_command.cpp) that gives it its description and options. Adding a subcommand is one
// row here (and its file in CMakeLists.txt).
#define VELMOR_SUBCOMMANDS(ROW)            \
    ROW("score", setUpScore)               \
    ROW("cabrillo", setUpCabrillo)         \
    ROW("body", setUpBody)                 \
    ROW("check", setUpCheck)               \
    ROW("crosscheck", setUpCrosscheck)     \
    ROW("robot", setUpRobot)

// The work of the chosen subcommand; returns the exit status.
using Run = std::function<int()>;
// Describes `command` and adds its options; when the user chooses it, sets `run`.
using SetUp = void(CLI::App& command, Run& run);

#define VELMOR_DECLARE_SUBCOMMAND(name, setUp) SetUp setUp;
VELMOR_SUBCOMMANDS(VELMOR_DECLARE_SUBCOMMAND)
#undef VELMOR_DECLARE_SUBCOMMAND

struct Subcommand {
    const char* name;
    SetUp* setUp;
};

#define VELMOR_SUBCOMMAND_ROW(name, setUp) Subcommand{name, setUp},
inline constexpr Subcommand kSubcommands[] = {VELMOR_SUBCOMMANDS(VELMOR_SUBCOMMAND_ROW)};
#undef VELMOR_SUBCOMMAND_ROW

// The robot's database as a source of logs for crosscheck --db (robot_command.cpp; empty in
// the builds without the robot).
crosscheck::LogSource robotLogSource();

}  // namespace velmor::cli
