// Starting and ending the programs a Wine test drives.
#include "process.h"

#include "desktop.h"

namespace wine_test {

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string dir(path, length);
    const std::size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

Process::~Process() {
    Kill();
    if (info_.hProcess) CloseHandle(info_.hProcess);
    if (info_.hThread) CloseHandle(info_.hThread);
}

bool Process::Start(const std::string& commandLine, const std::string& workingDir) {
    if (Started()) return false;
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info_))
        return true;
    startError_ = GetLastError();
    return false;
}

bool Process::StartBeside(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + ProgramDirectory() + "\\" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    return Start(commandLine);
}

bool Process::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD limitMs) {
    if (!info_.hProcess) return true;
    return WaitFor([&] { return !Running(); }, limitMs);
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

}  // namespace wine_test
