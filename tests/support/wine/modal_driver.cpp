// Answers the modal windows an export or a program shows, from a thread timer.
#include "modal_driver.h"

#include <algorithm>

namespace wine_test {

namespace {
ModalDriver* g_active = nullptr;  // thread timers carry no context of their own
}

ModalDriver::ModalDriver(int command) : command_(command) {
    g_active = this;
    timer_ = SetTimer(nullptr, 0, 50, &ModalDriver::OnTimer);
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer_);
    g_active = nullptr;
}

BOOL CALLBACK ModalDriver::OnWindow(HWND hwnd, LPARAM self) {
    auto* d = reinterpret_cast<ModalDriver*>(self);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    if (std::find(d->answered_.begin(), d->answered_.end(), hwnd) != d->answered_.end())
        return TRUE;
    SeenWindow w;
    char buffer[4096] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    w.caption = buffer;
    buffer[0] = '\0';
    if (GetDlgItem(hwnd, 0xFFFF)) GetDlgItemTextA(hwnd, 0xFFFF, buffer, sizeof buffer);
    w.text = buffer;
    d->seen_.push_back(w);
    d->answered_.push_back(hwnd);
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(d->command_, BN_CLICKED), 0);
    return TRUE;
}

void CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_active) return;
    // A window answered earlier may still be closing; forget those already gone.
    auto& a = g_active->answered_;
    a.erase(std::remove_if(a.begin(), a.end(), [](HWND h) { return !IsWindow(h); }), a.end());
    EnumWindows(&ModalDriver::OnWindow, reinterpret_cast<LPARAM>(g_active));
}

}  // namespace wine_test
