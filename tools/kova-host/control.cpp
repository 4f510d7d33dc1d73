// Finding a running stand-in host and sending it control commands.
#include "control.h"

namespace kova {
namespace {

struct HostSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchHost(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<HostSearch*>(param);
    if (!GetPropA(window, kStandInProp)) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->pid != 0 && owner != search->pid) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindStandInHost(DWORD pid) {
    HostSearch search{pid, nullptr};
    EnumWindows(MatchHost, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SendHostCommand(HWND host, const std::string& command) {
    COPYDATASTRUCT data{};
    data.dwData = kControlMagic;
    data.cbData = static_cast<DWORD>(command.size());
    data.lpData = const_cast<char*>(command.data());
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_NORMAL, 10000, &answer))
        return false;
    return answer == 1;
}

}  // namespace kova
