// A program started by a Wine test, ended (TerminateProcess) when the object goes if still running.
#pragma once

#include <windows.h>

#include <string>

namespace wine_test {

class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `commandLine` (the program's path quoted if it has blanks) in `workingDir`
    // (the test's own when empty), window shown normally. False when it could not start.
    bool Start(const std::string& commandLine, const std::string& workingDir = "");
    // Starts <program> from the test program's own folder (bin/) with `arguments`.
    bool StartBeside(const std::string& program, const std::string& arguments = "");

    bool Started() const { return info_.hProcess != nullptr; }
    // GetLastError() of a Start that failed, for the test's message.
    DWORD startError() const { return startError_; }
    bool Running() const;
    // Waits (pumping this thread's messages) until the process ends; false on the guard limit.
    bool WaitForExit(DWORD limitMs = 20000);
    DWORD ExitCode() const;
    DWORD pid() const { return info_.dwProcessId; }
    // Ends the process if it still runs, and waits for it.
    void Kill();

private:
    PROCESS_INFORMATION info_{};
    DWORD startError_ = 0;
};

// The folder of the running test program.
std::string ProgramDirectory();

}  // namespace wine_test
