// FindHostWindow: EnumWindows over the top-level windows, matching the class name's prefix.
#include "host_window.h"

#include <cstring>

namespace orvin {
namespace {

struct WindowSearch {
    HWND match = nullptr;  // the window this walk matched; each walk starts from none
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param) {
    char className[256] = {};
    if (GetClassNameA(window, className, sizeof(className)) == 0) return TRUE;
    if (!IsHostWindowClass(className)) return TRUE;
    reinterpret_cast<WindowSearch*>(param)->match = window;
    return FALSE;  // the first match wins
}

}  // namespace

bool IsHostWindowClass(const char* className) {
    // strncmp stops at a shorter name's terminator, which never equals a prefix character.
    return className && std::strncmp(className, kHostClassPrefix, kHostClassPrefixLength) == 0;
}

HWND FindHostWindow() {
    WindowSearch search;
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.match;
}

}  // namespace orvin
