// Test driver helpers: starting the real programs, finding their windows, reading the host's log.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace companion_test {

// A program started by a test; ended (TerminateProcess) when the object goes, if still running.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts bin/<program> (next to the test program) with `arguments`, window shown normally,
    // in the test's working directory. False when it could not be started.
    bool Start(const std::string& program, const std::string& arguments = "");
    bool Running() const;
    // Waits (pumping this thread's messages) until the process ends; false on the guard limit.
    bool WaitForExit(DWORD limitMs = 20000);
    DWORD ExitCode() const;
    DWORD pid() const { return info_.dwProcessId; }
    void Kill();

private:
    PROCESS_INFORMATION info_{};
};

// Polls `condition` every 20 ms, pumping this thread's messages (other programs broadcast to
// top-level windows), until it holds or the hang guard runs out.
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 20000);
void PumpMessages();

// The first top-level window of `pid` whose class is `className` (any class when empty).
HWND FindWindowOf(DWORD pid, const std::string& className, bool visibleOnly = false);
std::string WindowText(HWND window);
std::string ClassName(HWND window);

// Lines of a text file (CR LF or LF), read while another process may be writing it.
std::vector<std::string> ReadLines(const std::string& path);
// The "macro ..." entries of a stand-in host log, without the "macro " tag.
std::vector<std::string> Macros(const std::vector<std::string>& logLines);

// A file name in the working directory not used before in this run; no such file exists.
std::string TestFileName(const std::string& stem);

}  // namespace companion_test
