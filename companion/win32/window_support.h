// Small Win32 helpers for the companion's windows (and the stand-in hosts' windows): a
// window's text, the screen's DPI, twips and point-size fonts (base_window.h: the window's object).
#pragma once

#include <windows.h>

#include <string>

namespace orvin {

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
