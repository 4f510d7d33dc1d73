// Finding the host's main window by the fixed beginning of its window class name.
#pragma once

#include <windows.h>

#include <cstddef>

namespace orvin {

// The host's main window class begins with these 18 characters; the rest varies by run.
constexpr char kHostClassPrefix[] = "Afx:400000:b:10011";
constexpr std::size_t kHostClassPrefixLength = sizeof(kHostClassPrefix) - 1;
static_assert(kHostClassPrefixLength == 18, "the host's class prefix is 18 characters");

// True when the first 18 characters of `className` are the host's prefix, exactly and
// case-sensitively; a shorter name never matches.
bool IsHostWindowClass(const char* className);

// Walks the top-level windows in the system's order and returns the first whose class name
// (read into a 256-character buffer) is a host class; 0 when none is.
HWND FindHostWindow();

}  // namespace orvin
