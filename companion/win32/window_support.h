// Small Win32 helpers for the companion's windows (and the stand-in hosts' windows): a
// window's object, its text, the screen's DPI, twips and point-size fonts.
#pragma once

#include <windows.h>

#include <string>

namespace orvin {

// A window reaches the object it works on through GWLP_USERDATA. The object is handed to
// CreateWindowEx as its creation parameter and kept at WM_NCCREATE, the first message a
// window gets (SetWindowObject does it for windows whose object is known only later).
void SetWindowObject(HWND window, void* object);
template <typename T>
T* WindowObject(HWND window) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
// For the top of a window procedure: keeps the creation parameter at WM_NCCREATE, then
// returns the window's object (nullptr before WM_NCCREATE, and for messages sent earlier).
template <typename T>
T* WindowObjectOnCreate(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowObject(window, reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    return WindowObject<T>(window);
}

// The window's whole text in the system code page ("" for none or on failure).
std::string WindowText(HWND window);
// The same as UTF-16, for checks that must not depend on the code page.
std::wstring WindowTextW(HWND window);

// Pixels per logical inch of the screen; 96 when the screen cannot tell.
struct ScreenDpi {
    int x = 96;
    int y = 96;
};
ScreenDpi GetScreenDpi();

// 1440 twips are one inch.
inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// A font of `tenthsOfPoint` / 10 points at `dpiY`, Cyrillic character set.
HFONT CreatePointFont(const char* face, int tenthsOfPoint, int weight, int dpiY,
                      BYTE pitchAndFamily = DEFAULT_PITCH);

}  // namespace orvin
