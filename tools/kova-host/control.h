// Control protocol of the stand-in host: how a test finds it and tells it what to do.
#pragma once

#include <windows.h>

#include <string>

namespace kova {

// Command texts, sent as WM_COPYDATA (dwData = kControlMagic, the text without terminator) to
// the host's main window, or written one per line into the file named by --control:
//
// | Command              | Effect                                                           |
// |----------------------|------------------------------------------------------------------|
// | set MyCall <text>    | changes the DDE item "MyCall" (rest of the line, may be empty);  |
// | set Version <text>   | every hot link on the item receives the new value                |
// | mode <text>          | sets the automation property Mode without a macro                |
// | fail on | fail off   | automation calls (ExecuteMacros, Mode) fail with an exception    |
// | exit                 | ends normally: revokes the object, terminates DDE conversations  |
// | die                  | ends at once by TerminateProcess, nothing cleaned up             |
//
// The host's main window carries the window property kStandInProp, whatever its class.
constexpr ULONG_PTR kControlMagic = 0x4B4F5641;  // 'KOVA'
constexpr char kStandInProp[] = "KovaStandInHost";

// A top-level window of a running stand-in host (of process `pid` when pid is non-zero), or 0.
HWND FindStandInHost(DWORD pid = 0);

// Sends one command; true when the host accepted it (it answers WM_COPYDATA with 1).
bool SendHostCommand(HWND host, const std::string& command);

}  // namespace kova
