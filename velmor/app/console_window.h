// The console window of a velmor.exe started by a double-click: kept open until Enter.
#pragma once

namespace velmor::cli {

// Whether the program has its console window to itself: Windows made the window for this
// process alone (a double-click in Explorer, a shortcut), so it would close the moment the
// program ends, before anyone could read it. Never on other systems.
bool ownsConsoleWindow();

// What a double-click shows first: how velmor is meant to be started.
inline constexpr const char* kDoubleClickHint =
    "velmor is a Command Prompt program: open a Command Prompt (Start menu, type cmd, Enter) in "
    "this folder and type a command such as\n  velmor score mylog.adi --call RZ3VLM\n"
    "The operator guide (operator-guide.html) says more.";

// Says "Press Enter to close this window." on standard error and waits for it.
void waitForEnter();

}  // namespace velmor::cli
