// Command identifiers of the panel window Form1, for its menus and for test drivers.
#pragma once

namespace orvin {

// | Id     | What                                  | Sent as                                  |
// |--------|---------------------------------------|------------------------------------------|
// | 101    | Command1 "CW"                         | WM_COMMAND BN_CLICKED from the button    |
// | 102    | Command2 "PSK63"                      | WM_COMMAND BN_CLICKED from the button    |
// | 103    | Command3 "SSB"                        | WM_COMMAND BN_CLICKED from the button    |
// | 0x0110 | "Cabrillo header..." (opens the       | WM_SYSCOMMAND from the system menu; the  |
// |        | header editor)                        | right-click menu returns it from         |
// |        |                                       | TrackPopupMenu (TPM_RETURNCMD), no       |
// |        |                                       | message; WM_COMMAND with it works too    |
constexpr int kCmdCw = 101;
constexpr int kCmdPsk63 = 102;
constexpr int kCmdSsb = 103;
constexpr unsigned kCmdHeaderEditor = 0x0110;  // system-menu ids keep the low 4 bits clear

// The panel's window class, so that tests can tell it from the editor's windows.
constexpr char kPanelClassName[] = "OrvinForm1";

}  // namespace orvin
