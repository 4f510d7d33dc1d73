// The console window of a velmor.exe started by a double-click: kept open until Enter.
#include "console_window.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmor::cli {

bool ownsConsoleWindow() {
#ifdef _WIN32
    // Started from a Command Prompt, the window also lists the prompt's process; a window of
    // our own lists this process alone. Input read from a file or a pipe never waits.
    DWORD processes[2];
    DWORD mode = 0;
    return GetConsoleProcessList(processes, 2) == 1 && GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
#else
    return false;
#endif
}

void waitForEnter() {
    std::fputs("\nPress Enter to close this window.\n", stderr);
    std::fflush(stderr);
    for (int c = std::getchar(); c != EOF && c != '\n';) c = std::getchar();
}

}  // namespace velmor::cli
