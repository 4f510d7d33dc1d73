// Test driver helpers of the companion's tests: the shared Wine test helpers, and reading
// the stand-in host's log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "desktop.h"
#include "files.h"
#include "process.h"

namespace companion_test {

using wine_test::ClassName;
using wine_test::FindWindowOf;
using wine_test::PumpMessages;
using wine_test::ReadLines;
using wine_test::WaitFor;
using wine_test::WindowText;

// A program started from the test program's folder (bin/), in the test's working folder.
class Process : public wine_test::Process {
public:
    bool Start(const std::string& program, const std::string& arguments = "") {
        return StartBeside(program, arguments);
    }
};

// The "macro ..." entries of a stand-in host log, without the "macro " tag.
std::vector<std::string> Macros(const std::vector<std::string>& logLines);

// A file name in the working directory not used before in this run; no such file exists.
std::string TestFileName(const std::string& stem);

}  // namespace companion_test
