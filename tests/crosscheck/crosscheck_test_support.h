// Helpers shared by the cross-check tests: files, folders and the run from a given folder.
#pragma once

#include <string>
#include <vector>

#include "crosscheck/crosscheck_run.h"

#include "file_at.h"

namespace velmor::crosscheck::test {

using velmor::test::readFile;
using velmor::test::writeFile;
// An empty folder under the tests' work folder (removed first if it exists).
std::string freshDir(const std::string& name);
// Runs the cross-check with `cwd` as the current folder (file names in the outputs are
// then relative to it); the messages are returned in `messages`.
RunOutcome runIn(const std::string& cwd, const RunOptions& options, std::string* messages = nullptr);
// Lines of a text, without their line ends.
std::vector<std::string> lines(const std::string& text);

}  // namespace velmor::crosscheck::test
