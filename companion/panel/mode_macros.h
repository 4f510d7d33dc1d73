// The panel's rules for what it sends to the host: the macros at start-up and per mode button.
// Portable (no <windows.h>): the window code asks these functions and sends what they return.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvin {

// The macros of the host contract:
//
// | When                      | Macros sent, in this order                                   |
// |---------------------------|--------------------------------------------------------------|
// | start-up                  | "<MODE:BPSK31>", "<BAUDRATE:31>"                             |
// | Command1 "CW"             | "<MODE:CW>"                                                  |
// | Command2 "PSK63"          | "<MODE:BPSK31>" unless the host's Mode reads "BPSK31", then  |
// |                           | "<BAUDRATE:63>"; an unreadable Mode counts as not "BPSK31"   |
// | Command3 "SSB"            | "<MODE:SSB>"                                                 |
enum class ModeButton { Cw, Psk63, Ssb };

std::vector<std::string> StartupMacros();

// The host's Mode property, read when a rule needs it: nullopt when it could not be read.
using ReadHostMode = std::function<std::optional<std::string>()>;

// The macros one mode button sends. `readMode` is called only by the button that needs
// the host's mode (PSK63), and at most once.
std::vector<std::string> ModeButtonMacros(ModeButton button, const ReadHostMode& readMode);

}  // namespace orvin
