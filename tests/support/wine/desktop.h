// Waiting on other programs and finding their windows, for Wine tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace wine_test {

// Polls `condition` every 20 ms, pumping this thread's messages (other programs broadcast
// to top-level windows), until it holds or the hang guard runs out.
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 20000);
void PumpMessages();

// The first top-level window of process `pid` whose class is `className` (any class when
// empty) and, when `caption` is given, whose caption is exactly that.
HWND FindWindowOf(DWORD pid, const std::string& className, bool visibleOnly = false,
                  const char* caption = nullptr);
std::string ClassName(HWND window);
// A window's caption (GetWindowText).
std::string WindowText(HWND window);
// A control's text asked of the control itself (WM_GETTEXT), also across processes.
std::string ControlText(HWND control);

}  // namespace wine_test
