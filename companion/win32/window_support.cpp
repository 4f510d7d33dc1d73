// Small Win32 helpers for the companion's windows: text, DPI and fonts.
#include "window_support.h"

namespace orvin {

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::wstring WindowTextW(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

ScreenDpi GetScreenDpi() {
    ScreenDpi dpi;
    HDC screen = GetDC(nullptr);
    if (!screen) return dpi;
    const int x = GetDeviceCaps(screen, LOGPIXELSX);
    const int y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (x > 0) dpi.x = x;
    if (y > 0) dpi.y = y;
    return dpi;
}

HFONT CreatePointFont(const char* face, int tenthsOfPoint, int weight, int dpiY, BYTE pitchAndFamily) {
    LOGFONTA font{};
    font.lfHeight = -MulDiv(tenthsOfPoint, dpiY, 720);
    font.lfWeight = weight;
    font.lfCharSet = RUSSIAN_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = pitchAndFamily;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

}  // namespace orvin
