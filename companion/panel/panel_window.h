// The mode panel window Form1: start-up sequence, mode buttons, watchdog and shutdown.
#pragma once

#include <windows.h>

#include "host_link.h"

namespace orvin {

// Program-wide state, owned by the panel for the life of the process.
struct PanelState {
    HostLink hostApp;                      // HostApp: the host's automation object
    int hostLinked = 0;                    // HostLinked: the buttons act only while non-zero
    HANDLE instanceSemaphore = nullptr;    // "Cats_Tail": held until the process ends
    HWND hostWnd = nullptr;                // HostWnd: the host's main window, or 0
    BOOL foregroundResult = FALSE;         // last SetForegroundWindow result, kept, not acted on
    bool inHostCall = false;               // a handler is inside a call into the host
    HFONT buttonFont = nullptr;
    HBRUSH buttonFace = nullptr;
};

bool RegisterPanelClass(HINSTANCE instance);

// Creates Form1 and runs the start-up sequence in its creation. Returns 0 when the program
// must end: the host is not running (after the message box) or another copy is running.
HWND CreatePanel(HINSTANCE instance, PanelState* state);

}  // namespace orvin
