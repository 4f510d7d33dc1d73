// Win32 implementations of the core's services for Stats.dll.
#include "win32_services.h"

#include <cstdio>
#include <string>
#include <vector>

#include "debug_trace.h"
#include "log/contest_rules.h"
#include "station_dialog.h"

namespace velmor::win32 {

CalendarTime SystemClock::utcNow() const {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return CalendarTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string absolutePath(const std::string& relative) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameA(relative.c_str(), static_cast<DWORD>(buffer.size()),
                                         buffer.data(), nullptr);
        if (n == 0) return relative;
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(n + 1);  // n is the size needed, terminating zero included
    }
}

namespace {
const std::string kSection(rules::kSettingsSection);
std::string settingsPath() { return absolutePath(std::string(rules::kSettingsFile)); }
}  // namespace

std::string ProfileSettings::read(const std::string& key, const std::string& fallback) {
    const std::string file = settingsPath();
    std::vector<char> buffer(256);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(kSection.c_str(), key.c_str(), fallback.c_str(),
                                                 buffer.data(), static_cast<DWORD>(buffer.size()),
                                                 file.c_str());
        // A value that filled the buffer may have been cut: read again with more room, so
        // that values come back whole however long they are.
        if (n + 2 < buffer.size()) return std::string(buffer.data(), n);
        if (buffer.size() >= (1u << 24)) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}

void ProfileSettings::write(const std::string& key, const std::string& value) {
    // Failures are not reported: the details stay in memory for this run.
    if (!WritePrivateProfileStringA(kSection.c_str(), key.c_str(), value.c_str(),
                                    settingsPath().c_str()))
        TraceLastError("settings", "WritePrivateProfileStringA");
}

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&thisModule), &module))
        return nullptr;
    return module;
}

bool DialogUi::editStationDetails(StationDetails& details) {
    return RunStationDialog(thisModule(), details);
}

void DialogUi::showOutput(const std::string& text) {
    // The host's window when it is active in this thread; no owner otherwise.
    MessageBoxA(GetActiveWindow(), text.c_str(), "Output", MB_OK | MB_ICONINFORMATION);
}

void ExecLauncher::start(const std::string& commandLine) {
    // WinExec answers an error code below 32; the outcome only goes to the trace.
    const UINT started = WinExec(commandLine.c_str(), SW_SHOWNORMAL);
    if (started < 32) TraceLastError("companion", "WinExec");
}

}  // namespace velmor::win32
