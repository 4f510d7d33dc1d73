// Test driver helpers: processes by handle, windows by owning process, files shared for reading.
#include "driver.h"

namespace companion_test {
namespace {

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

struct WindowQuery {
    DWORD pid;
    const std::string* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != q->pid) return TRUE;
    if (q->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (!q->className->empty() && ClassName(window) != *q->className) return TRUE;
    q->found = window;
    return FALSE;
}

}  // namespace

Process::~Process() {
    Kill();
    if (info_.hProcess) CloseHandle(info_.hProcess);
    if (info_.hThread) CloseHandle(info_.hThread);
}

bool Process::Start(const std::string& program, const std::string& arguments) {
    std::string path = ProgramDirectory() + "\\" + program;
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    return CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info_) != 0;
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

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

HWND FindWindowOf(DWORD pid, const std::string& className, bool visibleOnly) {
    WindowQuery q{pid, &className, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    int length = GetWindowTextA(window, text, sizeof(text));
    return std::string(text, length > 0 ? length : 0);
}

std::string ClassName(HWND window) {
    char name[256] = {};
    int length = GetClassNameA(window, name, sizeof(name));
    return std::string(name, length > 0 ? length : 0);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Macros(const std::vector<std::string>& logLines) {
    std::vector<std::string> macros;
    for (const auto& line : logLines)
        if (line.rfind("macro ", 0) == 0) macros.push_back(line.substr(6));
    return macros;
}

std::string TestFileName(const std::string& stem) {
    static unsigned counter = 0;
    std::string name = stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++counter) + ".log";
    DeleteFileA(name.c_str());  // process ids come round again: never read an old run's file
    return name;
}

}  // namespace companion_test
