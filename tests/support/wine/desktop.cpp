// Waiting on other programs and finding their windows.
#include "desktop.h"

#include <vector>

#include "window_support.h"

namespace wine_test {
namespace {

struct WindowQuery {
    DWORD pid;
    const std::string* className;
    bool visibleOnly;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != q->pid) return TRUE;
    if (q->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (!q->className->empty() && ClassName(window) != *q->className) return TRUE;
    if (q->caption && WindowText(window) != q->caption) return TRUE;
    q->found = window;
    return FALSE;
}

}  // namespace

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

HWND FindWindowOf(DWORD pid, const std::string& className, bool visibleOnly, const char* caption) {
    WindowQuery q{pid, &className, visibleOnly, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

std::string ClassName(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof(name));
    return std::string(name, length > 0 ? length : 0);
}

std::string WindowText(HWND window) { return orvin::WindowText(window); }

std::string ControlText(HWND control) {
    const LRESULT length = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

}  // namespace wine_test
